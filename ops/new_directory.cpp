#include "ops/new_directory.h"

#include <cerrno>
#include <sys/stat.h>

#include "drives/hd_file_ops.h"
#include "ops/conversion_result.h"
#include "ops/relist.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_subdirectory.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantCreateHere = 44;
constexpr int kMsgCantCreateDirectory = 45;
constexpr size_t kNameLimit = 10;

bool HdShowsDirectory(const Location &location)
{
    bool hd = location.kind == kLocHdImage || location.kind == kLocHdPartition;
    return hd && !location.containerEntries.empty() &&
           !(location.containerEntries.size() == 1 &&
             location.containerEntries[0].ti.kind == kKindPartitionedImage);
}

// A floppy image (or a volume of a card image) takes subdirectories at its
// root only; a PC99 image is never written, and a card in a drive cannot be
// reached by the floppy writer.
bool FloppyRootTarget(const Location &location, FloppyTarget &target)
{
    if (location.kind != kLocDskImage && location.kind != kLocCf7Volume) {
        return false;
    }
    return ConversionImageTarget(location, target) && target.fdirSector == 1;
}

} // namespace

bool CheckNewDirectory(const Location &location, Ui &ui)
{
    FloppyTarget target;
    if (location.kind == kLocPcDirectory || HdShowsDirectory(location) ||
        FloppyRootTarget(location, target)) {
        return true;
    }
    ReportError(ui, kMsgCantCreateHere);
    return false;
}

bool CreateNewDirectory(Location &location, const NewDirectoryOptions &options, Ui &ui)
{
    std::string name = options.name.substr(0, kNameLimit);
    if (name.empty()) {
        ui.ShowWarning("Please enter a name for the directory");
        return false;
    }
    // A typed name is one path component: nothing that leaves the directory.
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
        name == "." || name == "..") {
        ReportError(ui, kMsgCantCreateDirectory, {name});
        return false;
    }
    if (location.kind == kLocPcDirectory) {
        std::string path = JoinPcPath(location.path, name);
        if (::mkdir(path.c_str(), 0777) != 0) {
            ReportSystemError(ui, errno, kMsgCantCreateDirectory, {path});
            return false;
        }
        RelistLocation(location, ui);
        return true;
    }
    if (HdShowsDirectory(location)) {
        if (CreateHdDirectory(ui, location, name) != 0) {
            ReportError(ui, kMsgCantCreateDirectory, {name});
            return false;
        }
        SortCatalog(location);
        return true;
    }
    FloppyTarget target;
    if (FloppyRootTarget(location, target)) {
        std::string name10 = FloppyDirectoryName(name);
        if (name10.empty()) {
            ReportError(ui, kMsgCantCreateDirectory, {name});
            return false;
        }
        bool made = CreateFloppySubdirectory(target, name10, ui);
        RelistLocation(location, ui);
        return made;
    }
    ReportError(ui, kMsgCantCreateHere);
    return false;
}

} // namespace kestrel
