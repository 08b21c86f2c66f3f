#include "tifs/arc/archive_extract.h"
#include "platform/fault_injection.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/safe_write.h"
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

// Where an extracted member goes until it is complete. A TI file goes
// through the safe writer (a new name is written in place); text is written
// by a converter through a stream, into a side file of a unique name that
// takes the target's name at the end. Removed unless committed.
class PartFile
{
public:
    PartFile(const std::string &target, bool stream) : m_target(target), m_stream(stream) {}
    ~PartFile()
    {
        if (m_file) {
            m_file.reset();
            std::remove(m_side.c_str());
        }
    }
    // False with errno set.
    bool Open()
    {
        if (!m_stream) {
            bool ok = m_writer.Open(m_target);
            errno = m_writer.Error();
            return ok;
        }
        int fd = platform::CreateSideFile(m_target, m_side);
        if (fd < 0) {
            return false;
        }
        m_file = FilePtr(::fdopen(fd, "wb"));
        if (!m_file) {
            int error = errno;
            ::close(fd);
            std::remove(m_side.c_str());
            errno = error;
            return false;
        }
        return true;
    }
    std::FILE *File() { return m_file.get(); }
    bool Write(const uint8_t *data, size_t length) { return m_writer.Write(data, length); }
    // False with errno set.
    bool Commit()
    {
        if (!m_stream) {
            bool ok = m_writer.Commit(false);
            errno = m_writer.Error();
            return ok;
        }
        // The text takes the old file's permissions, or those of a plain create.
        struct stat old {
        };
        mode_t mode;
        if (::stat(m_target.c_str(), &old) == 0) {
            mode = old.st_mode & 07777;
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(::fileno(m_file.get()), mode);
        bool closed = platform::io::Fclose(m_file.release()) == 0;
        int error = errno;
        if (!closed || platform::io::Rename(m_side.c_str(), m_target.c_str()) != 0) {
            error = closed ? errno : error;
            std::remove(m_side.c_str());
            errno = error;
            return false;
        }
        return true;
    }

private:
    std::string m_target;
    bool m_stream;
    platform::SafeFileWriter m_writer;
    std::string m_side;
    FilePtr m_file;
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
    PartFile part(path, text);
    if (!part.Open()) {
        ReportSystemError(ui, errno, 2, {path});
        return false;
    }
    std::FILE *out = part.File();
    if (!text) {
        uint8_t header[kHeaderSize];
        MakeExtractedMemberHeader(member.ti, ProgramSettings().extractTiFiles, header);
        if (!part.Write(header, kHeaderSize)) {
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
            if (!part.Write(data + s * kSectorSize, kSectorSize)) {
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
    if (!part.Commit()) {
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
