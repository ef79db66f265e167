// Stand-in runtime for the entry-table tests that exports none of the entry table's names.
extern "C" __attribute__((visibility("default"))) int nRienDAutre()
{
    return 0;
}
