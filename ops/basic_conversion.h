// PC text to tokenized Extended BASIC: drives the tokenizer library for one
// text file and puts its PROGRAM or MERGE output into a PC directory, a
// floppy image, a CF7A+ volume or a hard-disk image. An existing output
// file in a directory is replaced only once the library has written the new
// one completely.
#pragma once

#include <string>

#include "drives/hd_file_ops.h"
#include "tifs/catalog_entry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// The dialog's choices, kept while the program runs (not in the settings).
struct BasicConversionOptions {
    bool program = true;  // "Convert to Basic PROGRAM file", else DIS/VAR 163 (MERGE)
    bool log = false;     // "Create log file"
    bool verbose = false; // "Verbose conversion logging" (only with the log)
};

// The "All" answers of one batch.
struct BasicConversionBatch {
    bool overwriteAll = false;
    AddFileState image;
    HdCopyBatch hd;
};

// Destinations the command accepts: PC directory, DSK image, single-volume
// hard-disk image, CF7A+ volume. Any other shows "Can't write PC files to
// ARC, DSK, PC99DSK, HDIMG or CF7A+ card" and then "Can only convert
// TI-files to PC-files", and returns false.
bool CheckBasicDestination(Ui &ui, const Location &destination);

// "Please enter a filename" for an empty name, "Invalid filename <%s>" for
// a name that cannot be a file name; "" when the name is usable.
std::string BasicNameProblem(const std::string &tiName);

// The TI name the dialog proposes for a PC file: its TI form, blanks cut.
std::string DefaultBasicName(const std::string &pcName);

// Converts one PC text file (entry of the PC directory source) under
// tiName. Returns 0 to go on, 2 to stop the batch (Cancel, or any message
// reported, the tokenizer's code included), -1 when the library cannot be
// loaded.
int ConvertTextToBasic(Ui &ui, const Location &destination, const Location &source,
                       const CatalogEntry &entry, const std::string &tiName,
                       const BasicConversionOptions &options, BasicConversionBatch &batch);

// The text of the box for a non-zero tokenizer code.
std::string TokenizerErrorText(const std::string &logPath, const std::string &inputPath, int code,
                               const std::string &outputPath, bool logRequested);
// Shows it in a box captioned "Kestrel".
void ShowTokenizerError(Ui &ui, const std::string &logPath, const std::string &inputPath, int code,
                        const std::string &outputPath, bool logRequested);

// Where the log of a conversion into a container goes: the directory of the
// image file that holds the location.
std::string ImageFileDirectory(const Location &location);

} // namespace kestrel
