#include "cli/cmd_get_text.h"

#include "tifs/arc/arc_registration.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"
#include "viewers/archive_member_text.h"

namespace kestrel::cli
{

bool IsArchiveLocation(const Location &location)
{
    return location.kind == kLocArchive;
}

bool GetArchiveMemberAsText(const Location &location, const CatalogEntry &member,
                            const std::string &target, Ui &ui)
{
    std::string path = target;
    if (path.empty()) {
        path = TiNameToPcName(member.ti.tiName, ProgramSettings().zubCompatible);
    }
    ArchiveTextState state;
    ArchiveTextWriter writer = [&](const uint8_t *sectors, size_t count, const CatalogEntry &entry,
                                   std::FILE *out, int callIndex, Ui &writerUi) {
        if (callIndex == 0) {
            state = ArchiveTextState{};
        }
        return ArchiveMemberToPcText(sectors, static_cast<uint32_t>(count), entry, out,
                                     location.path, state, writerUi);
    };
    return SaveArchiveMemberAsText(location, member, path, writer, ui);
}

} // namespace kestrel::cli
