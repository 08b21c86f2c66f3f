#include "app/shell/info_fields.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "drives/hd_image_info.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenForRead = 1;
constexpr int16_t kProtectedDisk = 'P';

std::string Decimal(long value)
{
    return std::to_string(value);
}

std::string Hex(const char *format, uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(value));
    return text;
}

const char *YesNo(bool yes)
{
    return yes ? "Yes" : "No";
}

} // namespace

const ImagePartitionIds kImagePartitionIds[4] = {
    {1033, 1034, 1036, 1044, 1045, 1038, 1040, 1042},
    {1046, 1052, 1063, 1096, 1078, 1084, 1090, 1072},
    {1047, 1055, 1066, 1098, 1080, 1086, 1092, 1075},
    {1049, 1059, 1069, 1100, 1082, 1088, 1094, 1076},
};

const std::string *FindField(const InfoFields &fields, int id)
{
    for (const InfoField &field : fields) {
        if (field.id == id)
            return &field.text;
    }
    return nullptr;
}

InfoDialogKind InfoDialogFor(uint16_t kind)
{
    switch (kind) {
    case kKindDsk:
    case kKindPc99Sd:
    case kKindPc99Dd:
    case kKindHfe:
    case kKindCf7DriveVolume:
    case kKindCf7ImageVolume:
        return InfoDialogKind::Disk;
    case kKindPartitionedImage:
    case kKindHdImage:
        return InfoDialogKind::Image;
    default:
        return InfoDialogKind::File;
    }
}

std::string FontDescription(const std::string &face, int32_t height, int32_t weight, bool italic)
{
    // The magnitude of INT32_MIN does not fit an int32_t; take it unsigned.
    const uint32_t size =
        height < 0 ? 0u - static_cast<uint32_t>(height) : static_cast<uint32_t>(height);
    std::string text = face + ", " + std::to_string(size);
    if (weight > 400)
        text += ", B";
    if (italic)
        text += ", I";
    return text;
}

unsigned FloppySectorsPerAu(unsigned totalSectors)
{
    // The writer's table; it also clamps totals beyond what a bitmap covers.
    return AuSize(totalSectors);
}

InfoFields DiskInformationFields(const CatalogEntry &entry)
{
    const DiskSummary &d = entry.disk.Get();
    return {
        {1007, entry.pcName},
        {1000, entry.ti.tiName},
        {1002, Decimal(d.totalSectors)},
        {1001, Decimal(d.free)},
        {1003, Decimal(d.used)},
        {1004, d.signature},
        {1010, YesNo(d.protection == kProtectedDisk)},
        {1005, Decimal(d.tracksPerSide)},
        {1009, Decimal(d.sectorsPerTrack)},
        {1006, Decimal(d.sides)},
        {1008, Decimal(d.density)},
        {1011, Decimal(FloppySectorsPerAu(d.totalSectors))},
    };
}

InfoFields FileInformationFields(const Location &location, const CatalogEntry &entry)
{
    const TiFileDescriptor &ti = entry.ti;
    const bool inPcDirectory = location.kind == kLocPcDirectory;
    const bool program = ti.kind == kKindProgram;
    InfoFields fields;
    fields.push_back({kRecordLengthLabelId, program ? "Program size" : "Record length"});

    if (ti.kind == kKindSubdir || ti.kind == kKindUpDir) {
        if (inPcDirectory)
            fields.push_back({1012, entry.pcName});
        else
            fields.push_back({1014, ti.tiName});
        fields.push_back({1016, EntryKindName(ti.kind)});
        return fields;
    }
    if (ti.kind == kKindDos) {
        fields.push_back({1012, entry.pcName});
        fields.push_back({1016, "DOS"});
        return fields;
    }
    if (inPcDirectory) {
        fields.push_back({1012, entry.pcName});
        fields.push_back({1021, YesNo(ti.headerKind == kHeaderV9t9 && entry.archiveMember == 0)});
    }
    fields.push_back({1014, ti.tiName});
    fields.push_back({1015, Decimal(ti.sectors)});
    fields.push_back({1016, EntryKindName(ti.kind)});
    fields.push_back({1017, Decimal(ti.recordLength)});
    fields.push_back({1019, program ? std::string() : Decimal(ti.recordsPerSector)});
    fields.push_back({1020, Decimal(ti.eofOffset)});
    fields.push_back({1018, YesNo((ti.flags & kFlagProtected) != 0)});
    fields.push_back({1024, YesNo((ti.flags & kFlagArchive) != 0)});
    return fields;
}

std::string ImageInformationPath(const Location &location, const CatalogEntry &entry)
{
    if (location.kind == kLocPcDirectory)
        return JoinPcPath(location.path, entry.pcName);
    return location.path;
}

InfoFields ImageInformationFieldsFrom(const CatalogEntry &entry, const ImageVolume *volumes,
                                      int count)
{
    InfoFields fields = {
        {1030, entry.pcName},
        {1031, Decimal(static_cast<long>(entry.imageSize))},
        {1032, EntryKindName(entry.ti.kind)},
    };
    for (int k = 0; k < count && k < 4; ++k) {
        const HdVolumeInfo &v = volumes[k].info;
        const ImagePartitionIds &ids = kImagePartitionIds[k];
        fields.push_back({ids.label, v.name});
        if (v.partitionOffset != 0) {
            fields.push_back({ids.offset, Hex(">%08X", v.partitionOffset)});
            fields.push_back({ids.size, Hex(">%08X", v.partitionBlocks)});
        }
        fields.push_back({ids.totalAus, Hex(">%04X", v.totalAus)});
        fields.push_back({ids.sectorsPerAu, Decimal(v.sectorsPerAu)});
        const long size = static_cast<long>(v.sectorsPerAu) * v.totalAus;
        fields.push_back({ids.sectors, Decimal(size)});
        // An unreadable bitmap has no free count to show; a made-up one
        // would be worse than an empty field.
        if (volumes[k].freeAus >= 0) {
            const long free = static_cast<long>(v.sectorsPerAu) * volumes[k].freeAus;
            fields.push_back({ids.free, Decimal(free)});
            fields.push_back({ids.used, Decimal(size - free)});
        }
    }
    return fields;
}

bool ImageInformationFields(Ui &ui, const Location &location, const CatalogEntry &entry,
                            InfoFields &fields)
{
    const std::string image = ImageInformationPath(location, entry);
    std::FILE *probe = std::fopen(image.c_str(), "rb");
    if (probe == nullptr) {
        ReportSystemError(ui, errno, kMsgCantOpenForRead, {image});
        return false;
    }
    std::fclose(probe);
    HdVolumeInfo infos[4];
    const int count = HdImageInfo(image, entry, infos);
    if (count <= 0) {
        ReportError(ui, kMsgCantOpenForRead, {image});
        return false;
    }
    ImageVolume volumes[4];
    for (int k = 0; k < count && k < 4; ++k) {
        volumes[k].info = infos[k];
        volumes[k].freeAus = HdFreeAus(image, infos[k].partitionOffset * 2);
    }
    fields = ImageInformationFieldsFrom(entry, volumes, count);
    return true;
}

} // namespace kestrel
