#include "ops/hfe_conversions.h"

#include <filesystem>
#include <vector>

#include "ops/copy.h"
#include "ops/relist.h"
#include "tifs/floppy/hfe_convert.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgOnlyToDirectory = 52;

bool Exists(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

} // namespace

bool IsHfeConversionSource(const CatalogEntry &entry, HfeDirection direction)
{
    if (entry.containerKind != 0) {
        return false;
    }
    return direction == HfeDirection::HfeToDsk ? entry.ti.kind == kKindHfe
                                               : entry.ti.kind == kKindDsk;
}

std::string HfeConversionTargetName(const std::string &pcName, HfeDirection direction)
{
    const char *extension = direction == HfeDirection::HfeToDsk ? ".dsk" : ".hfe";
    std::string::size_type dot = pcName.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return pcName + extension;
    }
    return pcName.substr(0, dot) + extension;
}

int ConvertHfeImages(Location &destination, Location &source, CatalogEntry *cursor,
                     HfeDirection direction, Ui &ui)
{
    if (destination.kind != kLocPcDirectory || source.kind != kLocPcDirectory) {
        ReportError(ui, kMsgOnlyToDirectory);
        return 0;
    }
    std::vector<CatalogEntry *> images;
    bool anyMarked = false;
    for (auto &entry : source.entries) {
        if (entry->marked) {
            anyMarked = true;
            if (IsHfeConversionSource(*entry, direction)) {
                images.push_back(entry.get());
            }
        }
    }
    if (!anyMarked && cursor != nullptr && IsHfeConversionSource(*cursor, direction)) {
        images.push_back(cursor);
    }
    const char *kindWord = direction == HfeDirection::HfeToDsk ? "DSK image" : "HFE image";
    bool all = false;
    int converted = 0;
    ui.SetProgressRange(static_cast<uint32_t>(images.size()));
    uint32_t position = 0;
    for (CatalogEntry *image : images) {
        ui.SetProgressPosition(++position);
        ui.PumpPendingMessages();
        if (ui.CancelPressed()) {
            break;
        }
        const std::string from = JoinPcPath(source.path, image->pcName);
        const std::string name = HfeConversionTargetName(image->pcName, direction);
        const std::string target = JoinPcPath(destination.path, name);
        if (!all && Exists(target)) {
            Answer answer = AskOverwriteQuestion(ui, kindWord, name);
            if (answer == Answer::Cancel) {
                break;
            }
            if (answer == Answer::No) {
                continue;
            }
            all = answer == Answer::All;
        }
        // The converters write beside the target and replace it only when done.
        bool ok = direction == HfeDirection::HfeToDsk ? ConvertHfeToDsk(from, target, ui)
                                                      : ConvertDskToHfe(from, target, ui);
        if (!ok) {
            break;
        }
        image->marked = false;
        ++converted;
        RelistLocation(destination, ui);
    }
    return converted;
}

} // namespace kestrel
