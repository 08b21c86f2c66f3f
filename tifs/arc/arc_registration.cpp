#include "tifs/arc/arc_registration.h"

#include "platform/temp_dir.h"
#include "tifs/arc/archive_open.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"

namespace kestrel {

namespace {

bool OpenArchiveEntry(Location& location, const CatalogEntry& entry, Ui& ui)
{
    if (entry.archiveMember == 0 &&
        (entry.ti.recordLength != 128 || entry.ti.sectors == 0)) {
        return false; // Enter does nothing on other fixed-length files
    }
    std::string workFile;
    if (location.kind != kLocPcDirectory && location.kind != kLocArchive) {
        workFile = ArchiveWorkFile();
        if (workFile.empty()) {
            ReportSystemError(ui, platform::ProgramTempDir().Error(), 2,
                              {std::string("ti_arc.$$$")});
            return false;
        }
    }
    return OpenArchive(location, entry, true, workFile, ui);
}

bool ArchiveLevelUp(Location& location, Ui& ui)
{
    return LeaveArchive(location, ui);
}

bool SaveArchiveMember(const Location& location, const CatalogEntry& entry,
                       const std::string& target, Ui& ui)
{
    return ExtractArchiveMember(location, entry, kExtractTiFile, target, ui);
}

} // namespace

std::string ArchiveWorkFile()
{
    platform::TempDir& temp = platform::ProgramTempDir();
    if (!temp.Created()) {
        temp.Create();
    }
    return temp.ArchiveFile();
}

bool SaveArchiveMemberAsText(const Location& location, const CatalogEntry& member,
                             const std::string& target, const ArchiveTextWriter& textWriter,
                             Ui& ui)
{
    return ExtractArchiveMember(location, member, 2, target, ui, textWriter);
}

void RegisterArchiveListers()
{
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    // Only the INT/FIX opener: the catalog sends DIS/FIX 128 files here once
    // the picture test (which a DIS/FIX opener of the viewers may make) has
    // let them through, and registering DIS/FIX would silence that test.
    RegisterEntryOpener(kKindIntFix, OpenArchiveEntry);
    RegisterLevelUp(kLocArchive, ArchiveLevelUp);
    RegisterEntrySaver(kLocArchive, SaveArchiveMember);
}

} // namespace kestrel
