/* A runtime library built for the other ABI than the tests': the loader refuses it for its ELF
   class before anything of it runs, so its exports only need to be there. */
int bInitLibrary(void* hLibrary)
{
    (void)hLibrary;
    return 1;
}

void* pQueryProxy(int nCode)
{
    (void)nCode;
    return 0;
}
