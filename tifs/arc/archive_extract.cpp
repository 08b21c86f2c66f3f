#include "tifs/arc/archive_extract.h"
#include "platform/fault_injection.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "tifs/file_chooser.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string TrimmedTiName(const std::string &tiName)
{
    std::string name = tiName;
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

bool ChooseTarget(const CatalogEntry &member, int form, Ui &ui, std::string &target)
{
    std::string name = TiNameToPcName(member.ti.tiName, ProgramSettings().zubCompatible);
    bool text = form != kExtractTiFile;
    if (ChooseFileWithRemembered(ui, true, text ? "save_as_dos_path" : "save_as_ti_path",
                                 text ? "Save as PC-file" : "Save as TI-file",
                                 text ? "All files (*.*)" : "", "", name) != 0) {
        return false;
    }
    target = name;
    return true;
}

// The partly written file beside the target; removed unless it was renamed.
class PartFile
{
public:
    explicit PartFile(const std::string &target) : m_path(target + ".part$$$") {}
    ~PartFile()
    {
        m_file.reset();
        if (!m_kept) {
            std::remove(m_path.c_str());
        }
    }
    bool Open() { return (m_file = FilePtr(std::fopen(m_path.c_str(), "wb"))) != nullptr; }
    std::FILE *File() { return m_file.get(); }
    bool Commit(const std::string &target)
    {
        bool closed = platform::io::Fclose(m_file.release()) == 0;
        if (!closed || platform::io::Rename(m_path.c_str(), target.c_str()) != 0) {
            return false;
        }
        m_kept = true;
        return true;
    }

private:
    std::string m_path;
    FilePtr m_file;
    bool m_kept = false;
};

} // namespace

void MakeExtractedMemberHeader(const TiFileDescriptor &member, bool tifiles, uint8_t *header)
{
    TiFileDescriptor d = member;
    d.flags = static_cast<uint16_t>(d.flags & ~kFlagArchive);
    if (tifiles) {
        MakeTifilesHeader(d, header);
    } else {
        MakeV9t9Header(d, header);
    }
}

bool ExtractArchiveMember(const ArchiveFile &archive, const CatalogEntry &member, int form,
                          const std::string &target, Ui &ui, const ArchiveTextWriter &textWriter)
{
    if (member.archiveMember == 0) {
        ReportError(ui, 17, {archive.displayName});
        return false;
    }
    bool text = form != kExtractTiFile;
    if (text && !textWriter) {
        return false;
    }
    std::string path = target;
    if (path.empty() && !ChooseTarget(member, form, ui, path)) {
        return false;
    }
    PartFile part(path);
    if (!part.Open()) {
        ReportSystemError(ui, errno, 2, {path});
        return false;
    }
    std::FILE *out = part.File();
    if (!text) {
        uint8_t header[kHeaderSize];
        MakeExtractedMemberHeader(member.ti, ProgramSettings().extractTiFiles, header);
        if (platform::io::Fwrite(header, 1, kHeaderSize, out) != kHeaderSize) {
            ReportError(ui, 5, {path});
            return false;
        }
    }
    int callIndex = 0;
    ArchiveSectorSink sink = [&](const uint8_t *data, size_t count, size_t firstSector) {
        ui.PumpPendingMessages();
        if (text) {
            return textWriter(data, count, member, out, callIndex++, ui);
        }
        for (size_t s = 0; s < count; ++s) {
            if (platform::io::Fwrite(data + s * kSectorSize, 1, kSectorSize, out) != kSectorSize) {
                ReportError(ui, 7,
                            {static_cast<long long>(firstSector + s + 1), archive.displayName});
                return false;
            }
        }
        return true;
    };
    size_t index = static_cast<size_t>(member.archiveMember - 1);
    if (!ReadArchiveMember(archive, index, member.ti, sink, ui)) {
        return false;
    }
    if (!part.Commit(path)) {
        ReportSystemError(ui, errno, 5, {path});
        return false;
    }
    return true;
}

ArchiveFile ArchiveOfLocation(const Location &location)
{
    ArchiveFile archive;
    archive.path = location.path;
    if (!location.containerEntries.empty()) {
        archive.ti = location.containerEntries.back().ti;
    }
    if (location.keptKind != kLocPcDirectory) {
        archive.displayName = location.keptPath + "->" + TrimmedTiName(archive.ti.tiName);
    } else {
        archive.displayName = location.path;
    }
    return archive;
}

bool ExtractArchiveMember(const Location &location, const CatalogEntry &member, int form,
                          const std::string &target, Ui &ui, const ArchiveTextWriter &textWriter)
{
    return ExtractArchiveMember(ArchiveOfLocation(location), member, form, target, ui, textWriter);
}

} // namespace kestrel
