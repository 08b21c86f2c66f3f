#include "viewers/archive_member_text.h"
#include "platform/fault_injection.h"

#include "tifs/messages.h"
#include "tifs/ti_file.h"
#include "viewers/record_text.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantWriteSector = 7;
// The most text one sector gives: 256 empty variable records of CR LF each,
// and the formatters' reserve.
constexpr size_t kSectorTextCapacity = 2 * kSectorSize + 8;

} // namespace

bool ArchiveMemberToPcText(const uint8_t *sectors, uint32_t sectorCount, const CatalogEntry &entry,
                           std::FILE *output, const std::string &archivePath,
                           ArchiveTextState &state, Ui &ui)
{
    const uint16_t kind = entry.ti.kind;
    char text[kSectorTextCapacity];
    for (uint32_t s = 0; s < sectorCount; ++s) {
        const uint8_t *sector = sectors + static_cast<size_t>(s) * kSectorSize;
        ++state.sectorNumber;
        const char *data = text;
        size_t length = 0;
        if (kind == kKindProgram) {
            data = reinterpret_cast<const char *>(sector);
            length = kSectorSize;
        } else {
            char *end = text + sizeof text;
            char *out = nullptr;
            if (kind == kKindDisVar || kind == kKindIntVar) {
                out = VariableRecordsToText(sector, kSectorSize, text, end);
            } else {
                out = FixedRecordsToText(true, sector, kSectorSize, state.recordCounter, entry,
                                         text, end);
            }
            length = out != nullptr ? static_cast<size_t>(out - text) : 0;
        }
        if (length != 0 && platform::io::Fwrite(data, 1, length, output) != length) {
            ReportError(ui, kMsgCantWriteSector, {state.sectorNumber, archivePath});
            return false;
        }
    }
    return true;
}

} // namespace kestrel
