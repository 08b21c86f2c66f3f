// The view of one TI file: a BASIC listing, records as text, Forth screens
// or a hexadecimal dump with the header, by file type and view mode.
#pragma once

#include <cstdio>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"
#include "viewers/text_view.h"

namespace kestrel
{

// Composes the view of entry, a TI file (kinds 1 to 5) of location, in mode
// 0 (by type), 2 (hexadecimal) or 7 (Forth screens). A file in a PC
// directory is read where it is; a file inside any container is first saved
// with its 128-byte header to tempFile through the container's registered
// saver, and read from there (the file stays for the next request).
// Failures are reported through ui: 1 open, 4 header read, 6 sector read
// (the text so far is kept), 13 memory, 14 seek. Returns view.hasText: true
// when the window is to show view.text with view.caption (the caption gets
// " (truncated to 60Kb)" for a text over 61440 characters).
bool ComposeTiFileView(const Location &location, const CatalogEntry &entry, int mode,
                       const std::string &tempFile, Ui &ui, TextView &view);

// The same with the program's general temporary file.
bool ComposeTiFileView(const Location &location, const CatalogEntry &entry, int mode, Ui &ui,
                       TextView &view);

// The text of the view of a PC file holding the TI file behind its 128-byte
// header; entry supplies type, sizes and level-3 count. Sets view.text,
// view.mode and view.hasText; leaves caption and name alone.
bool ComposeTiFileText(const std::string &pcPath, const CatalogEntry &entry, int mode, Ui &ui,
                       TextView &view);

// Capacities of the text buffer by view (characters, NUL included).
size_t HexViewCapacity(uint16_t sectors);
size_t ForthViewCapacity(uint16_t sectors);
size_t RecordViewCapacity(uint16_t sectors);

} // namespace kestrel
