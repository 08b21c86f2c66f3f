// Loading a shared library at run time and reaching its functions by ordinal.
// ELF has no ordinals, so each of our libraries exports one C function
//     extern "C" void* LibraryOrdinal(unsigned ordinal);
// that returns the address of the function with that ordinal, or null.
#pragma once

#include <string>

namespace kestrel::platform {

// The platform's file name of a library: "Brackenly32" -> "Brackenly32.so".
std::string LibraryFileName(const std::string& baseName);

class Library {
public:
    Library() = default;
    ~Library() { Unload(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Loads the library at path; false (with ErrorText set) when it cannot.
    bool Load(const std::string& path);
    void Unload();
    bool Loaded() const { return m_handle != nullptr; }

    // The function of an ordinal, or null when the library has none.
    void* Ordinal(unsigned ordinal) const;
    const std::string& ErrorText() const { return m_error; }

private:
    void* m_handle = nullptr;
    void* (*m_lookup)(unsigned) = nullptr;
    std::string m_error;
};

} // namespace kestrel::platform
