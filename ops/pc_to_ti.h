// PC file to TI file: the VARIABLE, FIXED and PROGRAM writers (pure, over
// byte buffers) and the conversion of one plain PC file into a PC directory,
// a floppy image or CF7A+ volume, or a hard-disk image.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "drives/hd_file_ops.h"
#include "ops/conversion_result.h"
#include "ops/line_reader.h"
#include "tifs/catalog_entry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location.h"
#include "tifs/ti_file.h"
#include "tifs/ui.h"

namespace kestrel
{

constexpr uint8_t kNoFileType = 0xFF;

// The file types of the dialog's list after "--SELECT--", and their flags.
struct TiFileTypeChoice {
    const char *name;
    uint8_t flags;
};
constexpr std::array<TiFileTypeChoice, 5> kTiFileTypes = {{
    {"DIS/FIX", 0x00},
    {"DIS/VAR", 0x80},
    {"INT/FIX", 0x02},
    {"INT/VAR", 0x82},
    {"PROGRAM", 0x01},
}};

// What the "Convert PC file" dialog (or the command line) chose.
struct PcToTiOptions {
    std::string name; // the TI-file name as typed (PC form)
    uint8_t typeFlags = kNoFileType;
    int recordLength = 0; // 0: not selected
    int method = kPcTiSelect;
    int tabWidth = 8;                          // 0: "Convert tabs to" off
    bool dataHeader = false;                   // "Add  3 words (6 bytes) data header"
    std::array<std::string, 3> dataHeaderText; // up to 4 hexadecimal digits each
};

// The first failing input check of the dialog, in its order, or "":
// "Please enter a filename", "Please select a filetype", "Please select a
// recordlength", the DIS/VAR range text, "Please select a conversion
// methode", "Please enter a hexadecimal value header value".
std::string PcToTiOptionsProblem(const PcToTiOptions &options);

// The three data-header words; false when one is empty or not hexadecimal.
bool ParseDataHeader(const std::array<std::string, 3> &text, uint16_t words[3]);

// A TI file as built in memory: its descriptor, header and data sectors.
struct TiFileImage {
    TiFileDescriptor descriptor;
    uint8_t header[kHeaderSize] = {};
    std::vector<uint8_t> data; // whole sectors
};

// Encodes the PC file's bytes as a TI file of the chosen type under tiName.
// PROGRAM ignores method and tabs. tifiles selects the TIFILES header (else
// V9T9). False when the result would not fit a TI file (more than 65535
// sectors or records); nothing is reported.
bool EncodeTiFile(const uint8_t *pcData, size_t size, const PcToTiOptions &options,
                  const std::string &tiName, bool tifiles, TiFileImage &image);

// The "All" answers of the containers a batch adds to.
struct PcToTiBatch {
    AddFileState image;
    HdCopyBatch hd;
};

// Converts the plain PC file entry of source (a PC directory) to
// destination: in a PC directory the target is "dir/name" and replaces an
// existing file only once complete; a floppy image or CF7A+ volume gets it
// through the general temporary file and the image writer; a hard-disk
// image through the temporary file and the hard-disk copy. Reports "Can't
// copy files to itself", "Can't open file for read <%s>", "Can't open file
// for write <%s>", "Can't write to file <%s>". Returns 0, -1 after a
// message, or 2 when the container asked the batch to stop.
int ConvertPcFile(Ui &ui, const Location &destination, const Location &source,
                  const CatalogEntry &entry, const PcToTiOptions &options, PcToTiBatch &batch);

// The name the converted file gets by default: the PC form of the TI form
// of the PC name.
std::string DefaultTiFileName(const std::string &pcName);

} // namespace kestrel
