/* A stand-in for the hard-disk library that lacks ordinal 25, so that the
   program's binding can be seen to refuse an incomplete library. */
static int Answer(void) { return 0; }

__attribute__((visibility("default"))) void* LibraryOrdinal(unsigned ordinal)
{
    if (ordinal == 0 || ordinal > 35 || ordinal == 25) {
        return 0;
    }
    return (void*)&Answer;
}
