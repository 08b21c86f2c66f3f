// Opening the data of a TI file wherever it lies: a file in a PC directory is
// read where it is; a file inside an image or archive is first written with
// its 128-byte header to the general temporary file, as the file view does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

struct StdioCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<std::FILE, StdioCloser>;

struct TiFileStream {
    StdioFile file;   // positioned at offset 128; null after a failure
    std::string path; // the PC file read: the file itself or the temporary file
    explicit operator bool() const { return file != nullptr; }
};

// Opens the data behind the PC header of entry, a TI file of location.
// tempFile is where a file inside a container is saved first (it stays
// there for the next request). Failures are reported through ui: the
// container's saver reports its own, 1 "Can't open file for read <%s>"
// (also when no module can save this container's files or tempFile is
// empty), 14 "Seek error in file <%s>"; the stream is then null.
TiFileStream OpenTiFileData(const Location &location, const CatalogEntry &entry,
                            const std::string &tempFile, Ui &ui);

// The same with the program's general temporary file.
TiFileStream OpenTiFileData(const Location &location, const CatalogEntry &entry, Ui &ui);

// Reads up to size bytes, riding out short reads of the stream; returns how
// many came.
size_t ReadUpTo(std::FILE *file, uint8_t *buffer, size_t size);

} // namespace kestrel
