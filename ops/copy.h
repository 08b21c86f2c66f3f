// Copying the marked entries of one pane (or its cursor entry) into the
// location of the other: the checks by destination kind, the overwrite
// question every copy and extraction asks, and the dispatch per pair of
// locations (file copy or extraction into a PC directory, an addition to a
// floppy image or CF7A+ volume, the conversion of a plain PC file, the
// hard-disk hand-off). Marks are removed entry by entry as entries are
// handled, so a stopped batch leaves the rest marked.
#pragma once

#include <string>
#include <vector>

#include "ops/pc_to_ti.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

enum CopyResult : int {
    kCopyGoOn = 0,
    kCopyStop = 2,
};

// The "All" answer of the overwrite question, one per running operation.
struct OverwriteState {
    bool all = false;
};

// What a copy dialog or the command line chose.
struct CopyOptions {
    // How plain PC files (kind 17) copied into a disk image are converted;
    // what is left unset comes from each file's rule (PcToTiOptionsFor).
    PcToTiOptions pcToTi;
    // Copies into a CF7A+ card: the selected volume (from 1), advanced by
    // one per DSK image; the batch ends with "CF7A+ disk full" when it
    // passes the card's last volume.
    uint32_t cf7Volume = 1;
};

// The options a plain PC file is converted with: the given ones, with a
// missing name, type, record length and method taken from the file's rule
// in "Pc_Ti_File_Conversion" (the name: the PC form of its TI form).
PcToTiOptions PcToTiOptionsFor(const CatalogEntry &entry, const PcToTiOptions &given);

// The entries a command acts on: the marked ones in list order, else the
// cursor entry (when it is one of the list's, or any given entry).
std::vector<CatalogEntry *> EntriesToHandle(Location &location, CatalogEntry *cursor);
bool IsBatch(const Location &location);

// The checks before a copy, in their order; false after ReportError with the
// first failing one ("Can't copy files to itself", "Can only copy TI files,
// DSK or HD images to a directory", "Can only copy DSK images to CF7A+
// card", "Can only copy TI files to a DSK image", "Can't copy files to ARC
// or PC99DSK", "Can't copy partitions").
bool CheckCopy(const Location &destination, const Location &source, const CatalogEntry *cursor,
               Ui &ui);

// "DSK image"/"DSK images" when the source is a CF7A+ card, or a PC
// directory copied to a CF7A+ card; otherwise "TI file"/"TI files".
std::string CopyKindWord(const Location &destination, const Location &source, bool plural);

// The copy dialog's heading: "Copy %u %s to" in batch mode, else
// "Copy %s <%s> to".
std::string CopyHeading(const Location &destination, const Location &source,
                        const CatalogEntry *cursor);

// "%s <%s> allready exist. Overwrite?" through Ui::AskOverwrite.
Answer AskOverwriteQuestion(Ui &ui, const std::string &kindWord, const std::string &name);

// Copies one entry of source into the PC directory destination: an archive
// member is extracted, an entry of any other container saved as a TI file,
// a PC file copied. An existing target is replaced only once the new file
// is complete. kCopyStop after Cancel in the overwrite question.
int CopyEntryIntoDirectory(const Location &source, const CatalogEntry &entry,
                           const Location &destination, OverwriteState &state, Ui &ui);

// The batch into a PC directory (fresh "All" answer); the destination is
// listed again afterwards. Returns kCopyStop when the batch was stopped.
int CopyIntoDirectory(Location &destination, Location &source, CatalogEntry *cursor, Ui &ui);

// The batch into a floppy image or CF7A+ volume: TI files through the image
// writer, plain PC files through the PC-to-TI conversion with options;
// other kinds are passed over and stay marked. Stops on a result of 2
// ("DSK is full", Cancel, …). The destination is listed again.
int CopyIntoDiskImage(Location &destination, Location &source, CatalogEntry *cursor,
                      const CopyOptions &options, Ui &ui);

// A CF7A+ card's volumes (the marked ones, or the cursor's) out as DSK
// files into the PC directory destination. kCopyStop when stopped.
int CopyCf7VolumesOut(Location &destination, Location &source, CatalogEntry *cursor, Ui &ui);

// The DSK images of source (a PC directory) into the volumes of the card
// destination, from options.cf7Volume on. kCopyStop when stopped.
int CopyDsksIntoCf7Card(Location &destination, Location &source, CatalogEntry *cursor,
                        const CopyOptions &options, Ui &ui);

// The whole command: checks, then the dispatch by destination kind.
// kCopyStop when a batch was stopped, -1 when a check refused the copy.
int RunCopy(Location &destination, Location &source, CatalogEntry *cursor,
            const CopyOptions &options, Ui &ui);

} // namespace kestrel
