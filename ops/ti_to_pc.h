// TI file to PC file: the records of every TI file type as a plain PC file
// with the chosen line ends. The sector conversion is pure; the file
// conversion reads the TI file from any location and writes into a PC
// directory, replacing an existing target only once the new one is whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ops/conversion_result.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ti_file.h"
#include "tifs/ui.h"

namespace kestrel
{

enum TiToPcMethod : int {
    kTiPcSelect = 0,
    kTiPcAddCrLf = 1, // "Add CR/LF (EDITOR/ASM)"
    kTiPcAddLf = 2,   // "Add LF (TI WRITER)"
    kTiPcBinary = 3,  // "Binary (no conversion)"
};
constexpr int kTiPcMethodCount = 4;

struct TiToPcOptions {
    std::string pcName; // the target's name in the destination directory
    int method = kTiPcSelect;
};

// The dialog's start state for a TI file: the PC form of its TI name plus
// the extension, and the method, from "Ti_Pc_File_Conversion".
TiToPcOptions TiToPcOptionsFromSettings(const TiFileDescriptor &d);

// "Please enter a filename", "Please select a conversion methode" or "".
std::string TiToPcOptionsProblem(const TiToPcOptions &options);

// Appends the converted text of one 256-byte data sector to out. Fixed
// records: up to records-per-sector records of the record length, each with
// the method's line end, until recordsDone reaches the level-3 count.
// Variable records: length byte and bytes until 0xFF (a record running past
// the sector end is cut there). PROGRAM: the sector as it is. The output
// grows as far as the sector needs (up to 768 bytes for one-byte records).
void ConvertTiSector(const uint8_t *sector, const TiFileDescriptor &d, int method,
                     uint32_t &recordsDone, std::vector<uint8_t> &out);

// The whole data part (sectors after the header) of a TI file as PC bytes.
std::vector<uint8_t> ConvertTiData(const uint8_t *data, size_t size, const TiFileDescriptor &d,
                                   int method);

struct TiToPcBatch {
    bool overwriteAll = false;
};

// Converts one TI file entry of source into destination (a PC directory;
// other kinds get "Can't write PC files to ARC, DSK, PC99DSK, HDIMG or
// CF7A+ card" and "Can only convert TI-files to PC-files"). An entry inside
// a container is first saved to the general temporary file. An existing
// target is asked about with the word "file". Returns 0 (done or skipped),
// -1 after a message, 2 on Cancel.
int ConvertTiFile(Ui &ui, const Location &destination, const Location &source,
                  const CatalogEntry &entry, const TiToPcOptions &options, TiToPcBatch &batch);

} // namespace kestrel
