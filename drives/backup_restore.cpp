#include "drives/backup_restore.h"
#include "platform/fault_injection.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "drives/cf7_card.h"
#include "drives/cf7_layout.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgCantReadDiskInfo = 9;
constexpr int kMsgNoCapacity = 29;
constexpr size_t kStreamBuffer = 1 << 20;

// A stdio stream with a large buffer of its own: the sectors pass through in
// 256- and 512-byte pieces, the system sees 1 MiB transfers.
class Stream
{
public:
    Stream(const std::string &path, const char *mode)
        : m_file(std::fopen(path.c_str(), mode)), m_buffer(kStreamBuffer)
    {
        if (m_file != nullptr) {
            std::setvbuf(m_file, m_buffer.data(), _IOFBF, m_buffer.size());
        }
    }
    ~Stream() { Close(); }
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;

    explicit operator bool() const { return m_file != nullptr; }
    std::FILE *get() const { return m_file; }
    // False when the last data could not be written.
    bool Close()
    {
        if (m_file == nullptr) {
            return true;
        }
        bool ok = platform::io::Fclose(m_file) == 0;
        m_file = nullptr;
        return ok;
    }

private:
    std::FILE *m_file;
    std::vector<char> m_buffer;
};

// Progress of sector i (from 0) of count; true when the user cancelled.
bool Step(Ui &ui, const char *format, uint64_t i, uint64_t count)
{
    if (i % kProgressEvery == 0 || i + 1 == count) {
        ui.SetStatusText(
            FormatText(format, {static_cast<long long>(i), static_cast<long long>(count)}));
        ui.SetProgressPosition(static_cast<uint32_t>(i));
    }
    ui.PumpPendingMessages();
    return ui.CancelPressed();
}

// The image's name in the header: the base name without extension, as a TI name.
std::string ImageTiName(const std::string &imagePath)
{
    std::string base = imagePath.substr(imagePath.find_last_of('/') + 1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        base.erase(dot);
    }
    std::string name;
    for (char c : base) {
        if (name.size() == 10) {
            break;
        }
        name.push_back(c == '.' || c == ' '
                           ? '_'
                           : static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return name;
}

uint64_t FileSize(std::FILE *file)
{
    struct stat st {
    };
    if (::fstat(fileno(file), &st) != 0) {
        return 0;
    }
    return static_cast<uint64_t>(st.st_size);
}

} // namespace

bool IsCf7ImageFile(const std::string &path)
{
    Stream file(path, "rb");
    uint8_t header[kCf7HeaderSize];
    return file && std::fread(header, 1, sizeof header, file.get()) == sizeof header &&
           IsCf7ImageHeader(header);
}

BackupResult BackupDrive(const DriveItem &item, const std::string &imagePath, Ui &ui)
{
    const bool hardDisk = item.kind == kDriveHardDisk;
    Cf7Card drive;
    if (!drive.OpenDrive(item.letter, false, ui)) {
        return BackupResult::Failed;
    }
    const std::string partial = imagePath + ".part";
    Stream out(partial, "wb");
    if (!out) {
        ReportError(ui, kMsgCantOpenWrite, {imagePath});
        return BackupResult::Failed;
    }
    const uint64_t count = item.sectors;
    ui.SetProgressRange(static_cast<uint32_t>(count > UINT32_MAX ? UINT32_MAX : count));
    BackupResult result = BackupResult::Done;
    uint8_t physical[kCf7PhysicalSector];
    uint8_t ti[kCf7TiSector];
    for (uint64_t i = 0; i < count; ++i) {
        if (Step(ui, "reading sector %d of %d", i, count)) {
            result = BackupResult::Cancelled;
            break;
        }
        if (!drive.ReadPhysical(i, physical, ui)) {
            result = BackupResult::Failed;
            break;
        }
        if (hardDisk) {
            if (platform::io::Fwrite(physical, 1, sizeof physical, out.get()) != sizeof physical) {
                ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(2 * i), imagePath});
                result = BackupResult::Failed;
                break;
            }
            continue;
        }
        GatherTiSector(physical, ti);
        if (i == 0) {
            uint8_t header[kCf7HeaderSize];
            const uint8_t *record = ti + mountrecord::kOffset;
            bool moved = record[0] == mountrecord::kMarker && record[1] == mountrecord::kCount;
            BuildCf7ImageHeader(ImageTiName(imagePath), moved ? record : nullptr, header);
            if (moved) {
                std::memset(ti + mountrecord::kOffset, 0, mountrecord::kSize);
            }
            if (platform::io::Fwrite(header, 1, sizeof header, out.get()) != sizeof header) {
                ReportError(ui, kMsgCantWriteSector, {0, imagePath});
                result = BackupResult::Failed;
                break;
            }
        }
        if (platform::io::Fwrite(ti, 1, sizeof ti, out.get()) != sizeof ti) {
            ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(i), imagePath});
            result = BackupResult::Failed;
            break;
        }
    }
    drive.Close();
    if (!out.Close() && result == BackupResult::Done) {
        ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(count), imagePath});
        result = BackupResult::Failed;
    }
    if (result == BackupResult::Done &&
        platform::io::Rename(partial.c_str(), imagePath.c_str()) != 0) {
        ReportSystemError(ui, errno, kMsgCantOpenWrite, {imagePath});
        result = BackupResult::Failed;
    }
    if (result != BackupResult::Done) {
        std::remove(partial.c_str());
    }
    if (result == BackupResult::Done) {
        ui.SetProgressPosition(static_cast<uint32_t>(count > UINT32_MAX ? UINT32_MAX : count));
    }
    return result;
}

BackupResult RestoreDrive(const std::string &imagePath, char letter, bool asCard, Ui &ui)
{
    Cf7Card drive;
    if (!drive.OpenDrive(letter, true, ui)) {
        return BackupResult::Failed;
    }
    Stream in(imagePath, "rb");
    if (!in) {
        ReportError(ui, kMsgCantOpenRead, {imagePath});
        return BackupResult::Failed;
    }
    const uint64_t fileSize = FileSize(in.get());
    uint8_t header[kCf7HeaderSize];
    uint8_t first[kCf7PhysicalSector];
    uint64_t count = 0;
    if (asCard) {
        if (std::fread(header, 1, sizeof header, in.get()) != sizeof header) {
            ReportError(ui, kMsgCantReadSector, {0, imagePath});
            return BackupResult::Failed;
        }
        if (!IsCf7ImageHeader(header)) {
            ReportError(ui, kMsgCantReadDiskInfo, {imagePath});
            return BackupResult::Failed;
        }
        count = Cf7ImageTiSectors(fileSize);
    } else {
        size_t got = std::fread(first, 1, kCf7TiSector, in.get());
        count = got == kCf7TiSector ? HardDiskSectors(first) : 0;
        if (count == 0) {
            ReportError(ui, kMsgCantReadDiskInfo, {imagePath});
            return BackupResult::Failed;
        }
        std::rewind(in.get());
        // The image must hold every sector it claims before the drive is touched.
        if (fileSize < count * kCf7PhysicalSector) {
            ReportError(ui, kMsgCantReadSector,
                        {static_cast<long long>(fileSize / kCf7PhysicalSector), imagePath});
            return BackupResult::Failed;
        }
    }
    if (count == 0) {
        ReportError(ui, kMsgCantReadDiskInfo, {imagePath});
        return BackupResult::Failed;
    }
    uint8_t physical[kCf7PhysicalSector];
    if (!drive.ProbePhysical(count - 1, physical)) {
        ReportSystemError(ui, drive.LastError(), kMsgNoCapacity, {letter});
        return BackupResult::Failed;
    }
    ui.SetProgressRange(static_cast<uint32_t>(count > UINT32_MAX ? UINT32_MAX : count));
    BackupResult result = BackupResult::Done;
    uint8_t ti[kCf7TiSector];
    for (uint64_t i = 0; i < count; ++i) {
        if (Step(ui, "writing sector %d of %d", i, count)) {
            result = BackupResult::Cancelled;
            break;
        }
        if (asCard) {
            if (std::fread(ti, 1, sizeof ti, in.get()) != sizeof ti) {
                ReportError(ui, kMsgCantReadSector, {static_cast<long long>(i), imagePath});
                result = BackupResult::Failed;
                break;
            }
            if (i == 0 && header[mountrecord::kOffset] == mountrecord::kMarker &&
                header[mountrecord::kOffset + 1] == mountrecord::kCount) {
                std::memcpy(ti + mountrecord::kOffset, header + mountrecord::kOffset,
                            mountrecord::kSize);
            }
            SpreadTiSector(ti, Cf7FillerFor(i), physical);
        } else if (std::fread(physical, 1, sizeof physical, in.get()) != sizeof physical) {
            ReportError(ui, kMsgCantReadSector, {static_cast<long long>(i), imagePath});
            result = BackupResult::Failed;
            break;
        }
        if (!drive.WritePhysical(i, physical, ui)) {
            result = BackupResult::Failed;
            break;
        }
    }
    // What was written behind reaches the medium here; a failure is reported
    // with its sector.
    if (!drive.Finish(ui)) {
        result = BackupResult::Failed;
    }
    if (result == BackupResult::Done) {
        ui.SetProgressPosition(static_cast<uint32_t>(count > UINT32_MAX ? UINT32_MAX : count));
    }
    return result;
}

} // namespace kestrel
