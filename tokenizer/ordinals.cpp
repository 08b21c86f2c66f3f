// The library's export table. ELF has no ordinals, so callers ask this one
// exported function for the address of ordinal 1.
#include "tokenizer/xb_tokenize.h"

#if defined(_WIN32)
#define KESTREL_EXPORT extern "C" __declspec(dllexport)
#else
#define KESTREL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

KESTREL_EXPORT void *LibraryOrdinal(unsigned ordinal)
{
    switch (ordinal) {
    case 1:
        return reinterpret_cast<void *>(&kestrel::tokenizer::XBTokenize);
    default:
        return nullptr;
    }
}
