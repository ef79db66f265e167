/* libzvvmextra.so: a library of its own that one build of the stand-in runtime needs, so that
   a deployment which forgets to ship it can be shown. */
int zvvm_extra_pret(void)
{
    return 1;
}
