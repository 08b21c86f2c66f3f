#include "tifs/arc/arc_registration.h"

#include <cstdio>
#include <cstring>

#include "platform/temp_dir.h"
#include "tifs/arc/archive_open.h"
#include "tifs/arc/archive_reader.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

// After the image modules: an archive is a TI file, never an image.
constexpr int kArchivePathListerPriority = 100;

bool OpenArchiveEntry(Location &location, const CatalogEntry &entry, Ui &ui)
{
    if (entry.archiveMember == 0 && (entry.ti.recordLength != 128 || entry.ti.sectors == 0)) {
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

bool ArchiveLevelUp(Location &location, Ui &ui)
{
    return LeaveArchive(location, ui);
}

bool SaveArchiveMember(const Location &location, const CatalogEntry &entry,
                       const std::string &target, Ui &ui)
{
    return ExtractArchiveMember(location, entry, kExtractTiFile, target, ui);
}

// An archive file named as a location itself (a start location, or a path
// of the command line that ends in one): listed as if entered from the
// directory that holds it, but without a ".." entry, as images are.
bool ListArchivePath(Location &location, const std::string &path, Ui &ui, bool &reported)
{
    reported = false;
    uint8_t header[kHeaderSize];
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    size_t got = std::fread(header, 1, kHeaderSize, file);
    uint8_t magic[3] = {0, 0, 0};
    size_t magicGot = std::fread(magic, 1, sizeof magic, file);
    std::fclose(file);
    size_t slash = path.find_last_of('/');
    CatalogEntry entry;
    entry.pcName = slash == std::string::npos ? path : path.substr(slash + 1);
    if (got != kHeaderSize || !DecodeHeader(header, entry.pcName, false, entry.ti) ||
        ArchiveFormOf(entry.ti) == ArchiveForm::None || entry.ti.sectors == 0) {
        return false;
    }
    if (ArchiveFormOf(entry.ti) == ArchiveForm::Uncompressed && magicGot == 3 &&
        std::memcmp(magic, "GIF", 3) == 0) {
        return false; // a picture: no location at all
    }
    // OpenArchive changes nothing when it fails but the two fields set here.
    const std::string pathBefore = location.path;
    const int kindBefore = location.kind;
    location.kind = kLocPcDirectory;
    location.path = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    if (!OpenArchive(location, entry, false, "", ui)) {
        location.path = pathBefore;
        location.kind = kindBefore;
        reported = true;
        return false;
    }
    return true;
}

} // namespace

std::string ArchiveWorkFile()
{
    platform::TempDir &temp = platform::ProgramTempDir();
    if (!temp.Created()) {
        temp.Create();
    }
    return temp.ArchiveFile();
}

bool SaveArchiveMemberAsText(const Location &location, const CatalogEntry &member,
                             const std::string &target, const ArchiveTextWriter &textWriter, Ui &ui)
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
    RegisterPathLister(kArchivePathListerPriority, ListArchivePath);
    RegisterEntrySaver(kLocArchive, SaveArchiveMember);
}

} // namespace kestrel
