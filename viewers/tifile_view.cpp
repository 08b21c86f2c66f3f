#include "viewers/tifile_view.h"

#include "tifs/pc_directory.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/temp_dir.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/ti_file.h"
#include "viewers/forth_blocks.h"
#include "viewers/hex_dump.h"
#include "viewers/program_lister.h"
#include "viewers/record_text.h"
#include "viewers/view_caption.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpen = 1;
constexpr int kMsgCantRead = 4;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgNoMemory = 13;
constexpr int kMsgSeek = 14;
constexpr uint8_t kShortReadFill = 0xCC;

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The zero-filled text buffer of a view, with its fixed capacity.
class ViewBuffer
{
public:
    bool Allocate(size_t capacity)
    {
        try {
            m_bytes.assign(capacity, '\0');
        } catch (const std::bad_alloc &) {
            return false;
        } catch (const std::length_error &) {
            return false;
        }
        m_out = m_bytes.data();
        return true;
    }

    char *&Out() { return m_out; }
    char *End() { return m_bytes.data() + m_bytes.size(); }

    // Copies a fixed text; false when it does not fit (a NUL ends the text).
    bool Put(const char *text)
    {
        const size_t n = std::strlen(text);
        if (m_out == nullptr || static_cast<size_t>(End() - m_out) <= n) {
            if (m_out != nullptr && m_out < End()) {
                *m_out = '\0';
            }
            m_out = nullptr;
            return false;
        }
        std::memcpy(m_out, text, n);
        m_out += n;
        return true;
    }

    // The text: everything up to the first NUL.
    std::string Text() const
    {
        const char *begin = m_bytes.data();
        return std::string(begin, strnlen(begin, m_bytes.size()));
    }

private:
    std::vector<char> m_bytes;
    char *m_out = nullptr;
};

// Reads the next sector of the file's data. False (message 6 reported)
// when nothing came; a short read is filled up with 0xCC.
bool ReadViewSector(std::FILE *file, unsigned number, const std::string &path, uint8_t *sector,
                    Ui &ui)
{
    size_t got = 0;
    while (got < kSectorSize) {
        const size_t n = std::fread(sector + got, 1, kSectorSize - got, file);
        if (n == 0) {
            break;
        }
        got += n;
    }
    if (got == 0) {
        ReportError(ui, kMsgCantReadSector, {number, path});
        return false;
    }
    std::memset(sector + got, kShortReadFill, kSectorSize - got);
    return true;
}

bool IsVariableKind(uint16_t kind)
{
    return kind == kKindDisVar || kind == kKindIntVar;
}

// The hexadecimal view: the header block, then the data sectors.
bool ComposeHexView(std::FILE *file, const uint8_t *header, const std::string &path,
                    const CatalogEntry &entry, Ui &ui, ViewBuffer &buffer)
{
    if (!buffer.Allocate(HexViewCapacity(entry.ti.sectors))) {
        ReportError(ui, kMsgNoMemory);
        return false;
    }
    if (!buffer.Put("[File header information]\r\n-------------------------\r\n")) {
        return true;
    }
    buffer.Out() = HexDumpLines(header, kHeaderSize, 0, buffer.Out(), buffer.End());
    if (buffer.Out() == nullptr || !buffer.Put("\r\n[File data]\r\n-----------\r\n")) {
        return true;
    }
    uint8_t sector[kSectorSize];
    for (unsigned s = 0; s < entry.ti.sectors; ++s) {
        if (!ReadViewSector(file, s + 1, path, sector, ui)) {
            break;
        }
        buffer.Out() = HexDumpLines(sector, kSectorSize, static_cast<uint32_t>(s * kSectorSize),
                                    buffer.Out(), buffer.End());
        if (buffer.Out() == nullptr) {
            break; // full: show what fitted
        }
    }
    return true;
}

// Records, or Forth screens, of a data file.
bool ComposeDataView(std::FILE *file, const std::string &path, const CatalogEntry &entry,
                     bool forth, Ui &ui, ViewBuffer &buffer)
{
    const uint16_t sectors = entry.ti.sectors;
    if (!buffer.Allocate(forth ? ForthViewCapacity(sectors) : RecordViewCapacity(sectors))) {
        ReportError(ui, kMsgNoMemory);
        return false;
    }
    const bool variable = IsVariableKind(entry.ti.kind);
    const unsigned count = variable ? entry.ti.level3Count : sectors;
    uint32_t counter = 0; // records, or sectors of Forth screens, across the view
    uint8_t sector[kSectorSize];
    for (unsigned s = 0; s < count; ++s) {
        if (!ReadViewSector(file, s + 1, path, sector, ui)) {
            break;
        }
        char *&out = buffer.Out();
        if (variable) {
            out = VariableRecordsToText(sector, kSectorSize, out, buffer.End());
        } else if (forth) {
            out = ForthBlocksToText(sector, kSectorSize, counter, out, buffer.End());
        } else {
            out = FixedRecordsToText(false, sector, kSectorSize, counter, entry, out, buffer.End());
        }
        if (out == nullptr) {
            break;
        }
    }
    return true;
}

} // namespace

size_t HexViewCapacity(uint16_t sectors)
{
    const size_t size = static_cast<size_t>(sectors) * kSectorSize + kHeaderSize;
    return size * 26 / 16 + size * 5 + 128;
}

size_t ForthViewCapacity(uint16_t sectors)
{
    return static_cast<size_t>(sectors) * kSectorSize + (sectors / 4 + 1) * 62;
}

size_t RecordViewCapacity(uint16_t sectors)
{
    return (static_cast<size_t>(sectors) + 8) * kSectorSize;
}

bool ComposeTiFileText(const std::string &pcPath, const CatalogEntry &entry, int mode, Ui &ui,
                       TextView &view)
{
    view.hasText = false;
    view.text.clear();
    view.mode = mode;

    FilePtr file(std::fopen(pcPath.c_str(), "rb"));
    if (!file) {
        ReportError(ui, kMsgCantOpen, {pcPath});
        return false;
    }
    uint8_t header[kHeaderSize];
    if (std::fread(header, 1, kHeaderSize, file.get()) < kHeaderSize) {
        ReportError(ui, kMsgCantRead, {pcPath});
        return false;
    }
    if (std::fseek(file.get(), static_cast<long>(kHeaderSize), SEEK_SET) != 0) {
        ReportError(ui, kMsgSeek, {pcPath});
        return false;
    }

    const uint16_t kind = entry.ti.kind;
    ViewBuffer buffer;
    TextBlock listing;
    int listed = kListNotProgram;

    if (kind == kKindProgram || mode == kViewHex) {
        if (mode == kViewAuto && kind == kKindProgram) {
            listed = ListProgramImage(file.get(), pcPath, listing, ui);
        }
        if (listed == kListNotProgram &&
            !ComposeHexView(file.get(), header, pcPath, entry, ui, buffer)) {
            return false;
        }
    } else {
        if (kind == kKindIntVar && entry.ti.recordLength == 254) {
            listed = ListLongProgram(file.get(), pcPath, entry.ti.level3Count, listing, ui);
        } else if (kind == kKindDisVar && entry.ti.recordLength == 163) {
            listed = ListMergeFile(file.get(), pcPath, entry.ti.level3Count, listing, ui);
        }
        if (listed == kListNotProgram) {
            bool forth = mode == kViewForth;
            if (!forth && kind == kKindDisFix && entry.ti.recordLength == 128 &&
                LooksLikeForthBlocks(entry, file.get())) {
                forth = true;
            }
            if (forth) {
                view.mode = kViewForth;
            }
            if (!ComposeDataView(file.get(), pcPath, entry, forth, ui, buffer)) {
                return false;
            }
        }
    }
    if (listed == kListReported) {
        return false;
    }
    view.text = listed == kListed ? listing.Release() : buffer.Text();
    view.hasText = true;
    return true;
}

bool ComposeTiFileView(const Location &location, const CatalogEntry &entry, int mode,
                       const std::string &tempFile, Ui &ui, TextView &view)
{
    view = TextView();
    view.mode = mode;
    const std::string fileName = ViewFileName(location, entry);
    view.recordName = fileName;

    std::string pcPath;
    if (location.kind == kLocPcDirectory && !location.insideContainer) {
        pcPath = JoinPcPath(location.path, entry.pcName);
    } else {
        RegisterLocationListers();
        const EntrySaver saver = FindEntrySaver(location.kind);
        if (saver == nullptr || tempFile.empty()) {
            // No module can write this container's files out: nothing to open.
            ReportError(ui, kMsgCantOpen, {tempFile.empty() ? fileName : tempFile});
            return false;
        }
        if (!saver(location, entry, tempFile, ui)) {
            return false;
        }
        pcPath = tempFile;
    }

    if (!ComposeTiFileText(pcPath, entry, mode, ui, view)) {
        return false;
    }
    view.caption = FileViewCaption(location, fileName);
    MarkTruncated(view.caption, view.text.size());
    return true;
}

bool ComposeTiFileView(const Location &location, const CatalogEntry &entry, int mode, Ui &ui,
                       TextView &view)
{
    platform::TempDir &temp = platform::ProgramTempDir();
    if (!temp.Created()) {
        temp.Create();
    }
    return ComposeTiFileView(location, entry, mode, temp.GeneralFile(), ui, view);
}

} // namespace kestrel
