#include "platform/library.h"

#include <dlfcn.h>

namespace kestrel::platform {

std::string LibraryFileName(const std::string& baseName)
{
#if defined(_WIN32)
    return baseName + ".dll";
#elif defined(__APPLE__)
    return baseName + ".dylib";
#else
    return baseName + ".so";
#endif
}

bool Library::Load(const std::string& path)
{
    Unload();
    m_error.clear();
    // RTLD_LOCAL keeps the library's symbols out of the program's namespace:
    // it is reached through its ordinal table only, as any other caller would.
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* e = dlerror();
        m_error = e ? e : "cannot load library";
        return false;
    }
    m_lookup = reinterpret_cast<void* (*)(unsigned)>(dlsym(m_handle, "LibraryOrdinal"));
    if (!m_lookup) {
        m_error = "no ordinal table in " + path;
        dlclose(m_handle);
        m_handle = nullptr;
        return false;
    }
    return true;
}

void Library::Unload()
{
    if (m_handle)
        dlclose(m_handle);
    m_handle = nullptr;
    m_lookup = nullptr;
}

void* Library::Ordinal(unsigned ordinal) const
{
    return m_lookup ? m_lookup(ordinal) : nullptr;
}

} // namespace kestrel::platform
