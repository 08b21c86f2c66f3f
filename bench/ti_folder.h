// A folder of many small TI files for the listing benchmarks: each benchmark says what its
// files look like, this writes them.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tifs/ti_header.h"

namespace kestrel::bench
{

inline double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct FolderFile {
    std::string pcName;
    TiFileDescriptor descriptor; // sectors says how much data follows the header
    bool v9t9 = false;           // else a TIFILES header
    size_t cut = 0;              // bytes left off the end (a Classic99 file without padding)
};

// count files in dir, the i-th as describe(i) says: the header, then its sectors of blanks.
inline bool WriteFolder(const std::string &dir, int count,
                        const std::function<FolderFile(int)> &describe)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        const FolderFile file = describe(i);
        bytes.assign(kHeaderSize + size_t{file.descriptor.sectors} * kSectorSize, ' ');
        if (file.v9t9) {
            MakeV9t9Header(file.descriptor, bytes.data());
        } else {
            MakeTifilesHeader(file.descriptor, bytes.data());
        }
        if (file.cut > 0 && file.cut < bytes.size()) {
            bytes.resize(bytes.size() - file.cut);
            bytes.back() = 0xFF;
        }
        const std::string path = dir + "/" + file.pcName;
        FILE *f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) {
            return false;
        }
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        std::fclose(f);
        if (!written) {
            return false;
        }
    }
    return true;
}

} // namespace kestrel::bench
