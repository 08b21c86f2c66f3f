#include "app/shell/menu_enabling.h"

#include "app/shell/command_table.h"
#include "ops/copy.h"
#include "ops/delete_entries.h"
#include "ops/extract.h"
#include "ops/hfe_conversions.h"
#include "ops/file_attributes.h"
#include "ops/new_directory.h"
#include "ops/pack_archive.h"
#include "ops/rename_entry.h"
#include "tifs/ui.h"

namespace kestrel
{

namespace
{

// The commands' own checks report why they refuse; opening a menu must not
// show those boxes, so they answer to a Ui that keeps quiet.
class SilentUi : public Ui
{
public:
    void ShowError(const std::string &) override {}
    Answer AskErrorQuestion(const std::string &) override { return Answer::Cancel; }
    void ShowDsrError(const std::string &) override {}
    void ShowInfo(const std::string &) override {}
    void ShowWarning(const std::string &) override {}
    Answer AskQuestion(const std::string &, QuestionButtons) override { return Answer::Cancel; }
    Answer AskOverwrite(const std::string &) override { return Answer::Cancel; }
    bool ChooseFile(bool, const std::string &, const std::string &, const std::string &,
                    const std::string &, std::string &) override
    {
        return false;
    }
};

bool IsKind(const CatalogEntry *e, uint16_t kind)
{
    return e != nullptr && e->ti.kind == kind;
}

bool IsDisFix128(const CatalogEntry *e)
{
    return IsKind(e, kKindDisFix) && e->ti.recordLength == 128;
}

bool IsPc99(const CatalogEntry &e)
{
    return e.ti.kind == kKindPc99Sd || e.ti.kind == kKindPc99Dd;
}

// A TI file that lies in a PC directory as a file of its own, so that its
// PC header can be rewritten.
bool IsPlainTiFile(const CatalogEntry &e)
{
    return IsTiFileKind(e.ti.kind) && e.archiveMember == 0 && e.containerKind == 0;
}

bool ShowsCf7VolumeList(const Location &location)
{
    return location.kind == kLocCf7Drive || location.kind == kLocCf7Image;
}

// The attribute command refuses by the location and the entries it would
// handle; it is asked with copies of S and nothing to change, so that it
// neither writes nor unmarks anything.
bool AttributesAccepted(const Location &location, const std::vector<const CatalogEntry *> &s,
                        Ui &ui)
{
    std::vector<CatalogEntry> copies;
    copies.reserve(s.size());
    for (const CatalogEntry *e : s)
        copies.push_back(*e);
    std::vector<CatalogEntry *> entries;
    for (CatalogEntry &e : copies)
        entries.push_back(&e);
    AttributeOptions leave;
    leave.protect = kAttrKeep;
    leave.archive = kAttrKeep;
    return SetAttributes(ui, location, entries, leave) >= 0;
}

} // namespace

const std::vector<int> &ItemsGreyedWhenEmpty()
{
    static const std::vector<int> ids = {
        kCmdInformation, kCmdViewDirectory, kCmdViewFile,        kCmdForth,         kCmdViewHex,
        kCmdMyart256,    kCmdMyart512,      kCmdViewPicture,     kCmdCharset,       kCmdTiToPc,
        kCmdPcToTi,      kCmdToV9t9,        kCmdToTifiles,       kCmdPc99ToDsk,     kCmdPc99Layout,
        kCmdExtractAll,  kCmdArcToDsk,      kCmdDirectoryReport, kCmdMark,          kCmdUnmark,
        kCmdMarkAll,     kCmdUnmarkAll,     kCmdInspect,         kCmdInitializeCf7, kCmdMountCf7,
        kCmdCopy,        kCmdRename,        kCmdDelete,          kCmdAttributes,
        kCmdCheckDisk,   kCmdPackArchive,
    };
    return ids;
}

std::vector<MenuItemState> MenuEnabling(const Pane &active, const Pane &other)
{
    std::vector<MenuItemState> out;
    if (active.Empty()) {
        for (int id : ItemsGreyedWhenEmpty())
            out.push_back({id, false});
        return out;
    }
    const Location &location = active.location;
    const CatalogEntry *e = active.CursorEntry();
    std::vector<const CatalogEntry *> s;
    for (const auto &entry : location.entries)
        if (entry->marked)
            s.push_back(entry.get());
    if (s.empty() && e != nullptr)
        s.push_back(e);
    auto anyOf = [&s](auto test) {
        for (const CatalogEntry *entry : s)
            if (test(*entry))
                return true;
        return false;
    };
    const uint16_t kind = e != nullptr ? e->ti.kind : 0xFFFF;
    SilentUi quiet;

    for (int id : {kCmdInformation, kCmdViewFile, kCmdDirectoryReport, kCmdMark, kCmdUnmark,
                   kCmdMarkAll, kCmdUnmarkAll})
        out.push_back({id, true});
    out.push_back({kCmdInspect, e != nullptr && (kind == kKindDsk || kind == 12 || kind == 13 ||
                                                 kind == kKindCf7Image)});
    const bool viewsDirectory =
        e != nullptr && (kind == kKindSubdir || kind == kKindUpDir ||
                         (kind >= kKindDsk && kind <= kKindHdImage) || kind == kKindHfe ||
                         kind == kKindCf7Image ||
                         ((kind == kKindDisFix || kind == kKindIntFix) && e->ti.recordLength == 128));
    out.push_back({kCmdViewDirectory, viewsDirectory});
    out.push_back({kCmdPc99ToDsk, anyOf(IsPc99)});
    out.push_back({kCmdHfeToDsk, anyOf([](const CatalogEntry &x) {
                       return IsHfeConversionSource(x, HfeDirection::HfeToDsk);
                   })});
    out.push_back({kCmdDskToHfe, anyOf([](const CatalogEntry &x) {
                       return IsHfeConversionSource(x, HfeDirection::DskToHfe);
                   })});
    out.push_back({kCmdExtractAll, anyOf([](const CatalogEntry &x) {
                       return IsFloppyImageKind(x.ti.kind) || IsArcCandidate(x);
                   })});
    out.push_back({kCmdArcToDsk, anyOf(IsArcCandidate)});
    out.push_back({kCmdPackArchive, anyOf([](const CatalogEntry &x) {
                       return IsTiFileKind(x.ti.kind);
                   }) && CheckPack(other.location, quiet)});
    out.push_back({kCmdToV9t9, anyOf([](const CatalogEntry &x) {
                       return IsPlainTiFile(x) && (x.ti.headerKind == kHeaderTifiles ||
                                                   x.ti.headerKind == kHeaderClassic99);
                   })});
    out.push_back({kCmdToTifiles, anyOf([](const CatalogEntry &x) {
                       return IsPlainTiFile(x) && x.ti.headerKind == kHeaderV9t9;
                   })});
    const bool pcFile = anyOf([](const CatalogEntry &x) { return x.ti.kind == kKindDos; });
    out.push_back({kCmdPcToTi, pcFile});
    out.push_back({kCmdTextToBasic, pcFile});
    const bool tiFile = e != nullptr && IsTiFileKind(kind);
    out.push_back({kCmdTiToPc, tiFile});
    out.push_back({kCmdViewHex, tiFile});
    out.push_back({kCmdAttributes, AttributesAccepted(location, s, quiet)});
    const bool disFix128 = IsDisFix128(e);
    out.push_back({kCmdMyart256, disFix128});
    out.push_back({kCmdMyart512, disFix128});
    out.push_back({kCmdForth, disFix128});
    out.push_back({kCmdViewPicture, disFix128 || IsKind(e, kKindProgram)});
    out.push_back({kCmdCharset, IsKind(e, kKindProgram)});
    out.push_back({kCmdPc99Layout, e != nullptr && IsPc99(*e)});
    out.push_back({kCmdCheckDisk, location.kind == kLocPcDirectory && e != nullptr &&
                                      (kind == kKindDsk || IsPc99(*e) || kind == 12 || kind == 13 ||
                                       kind == kKindCf7Image || IsArcCandidate(*e))});
    const bool pcDirectory = location.kind == kLocPcDirectory;
    out.push_back({kCmdNewDskImage, pcDirectory});
    out.push_back({kCmdNewHdImage, pcDirectory});
    const bool volumeList = ShowsCf7VolumeList(location);
    out.push_back({kCmdInitializeCf7, volumeList && active.cursor != 0});
    out.push_back({kCmdMountCf7, IsKind(e, kKindCf7Image) || volumeList});
    out.push_back({kCmdNewDirectory, CheckNewDirectory(location, quiet)});
    out.push_back({kCmdDelete, CheckDelete(location, e, quiet)});
    out.push_back({kCmdRename, CheckRename(location, e, quiet)});
    out.push_back({kCmdCopy, CheckCopy(other.location, location, e, quiet)});
    return out;
}

std::vector<RecentMenuItem> RecentMenuItems(const std::array<std::string, 5> &locations)
{
    std::vector<RecentMenuItem> items;
    bool any = false;
    for (int i = 0; i < 5; ++i) {
        const std::string &location = locations[static_cast<size_t>(i)];
        any = any || !location.empty();
        items.push_back({kCmdRecentFirst + i, RecentItemText(i + 1, location), !location.empty(),
                         !location.empty()});
    }
    if (!any) {
        items.front().text = kNoRecentLocations;
        items.front().visible = true;
    }
    return items;
}

} // namespace kestrel
