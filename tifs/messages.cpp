#include "tifs/messages.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kestrel {

namespace {

const char* const kCatalog[kMessageCount] = {
    "Can't read file or directory <%s>",
    "Can't open file for read <%s>",
    "Can't open file for write <%s>",
    "Can't open file for read and write <%s>",
    "Can't read from file <%s>",
    "Can't write to file <%s>",
    "Can't read sector <%d> from <%s>",
    "Can't write sector <%d> to <%s>",
    "Disk error, filename <%s>\n, fileno <%d>, sector <%d>",
    "Can't read diskinfo from diskfile <%s>",
    "Can only extract files from a DSK file or an Archive",
    "Can't convert PC99 DSK-file to a TI99 DSK-file\nwith the same name in the same directory",
    "Can only convert TI-files to PC-files",
    "Not enough memory to create edit buffer",
    "Seek error in file <%s>",
    "No more viewers available",
    "Invalid filename <%s>",
    "Not an archive <%s>",
    "Can't unark arked archive, first extract <%s>",
    "Can't rename file <%s> to <%s>",
    "Can't delete file <%s>",
    "Not a GIF file <%s>",
    "Not a MYART file <%s>",
    "Can't read TI-Artist colortable <%s>",
    "Can't open TI disk drive <%c:>",
    "Can't read TI disk geometry <%c:>",
    "Sectorsize of TI disk not 512 bytes <%c:>",
    "Can't read sector <%d> from TI disk <%c:>",
    "Can't write sector <%d> to TI disk <%c:>",
    "Not enough capacity on TI disk <%c:> to restore image",
    "Seek error on TI disk <%s>",
    "DSK allready exist:\n<%s>\nOverwrite?",
    "DSK is not initialized",
    "DSK is full <%s>",
    "To many fragments for file <%s>",
    "File <%s> doesn't exist",
    "File <%s> allready exist",
    "Can't copy file <%s>\nto <%s>, error <%d>",
    "Can't copy files to itself",
    "Can't copy files to ARC or PC99DSK",
    "Can only copy TI files to a DSK image",
    "Can only copy DSK images to CF7A+ card",
    "Can only copy TI files, DSK or HD images to a directory",
    "Can only delete files from directories or DSK images",
    "Can't create a directory here",
    "Can't create directory <%s>",
    "Can't delete directory <%s>",
    "Can't rename a file or directory here",
    "Can't rename file or directory <%s>",
    "Can't write PC files to ARC, DSK, PC99DSK, HDIMG or CF7A+ card",
    "Can't convert PC99 images to itself",
    "Can only convert PC99 images to a directory",
    "Can only extract files to a directory",
    "Can only convert ARC files to a directory",
    "X",
    "Can only convert V9T9, TIFILES or CLASSIC99 files in a directory",
    "Can only set attributes of files in a directory",
    "Can't change file attributes",
    "Partition does not exist",
    "Partition is not initialized",
    "Can't copy partitions",
    "Can't rename this directory",
    "Can't delete this directory",
    "Can't lock device <%c:> for writing sectors",
    "Not a TI file <%s>\n(Something went wrong with conversion)",
};

// Messages the program has gained beyond the original catalog. Numbers start
// at 100 so that the original ones keep theirs; each topic keeps its own range
// so that texts added side by side never take each other's numbers.
struct ExtendedMessage {
    int number;
    const char* text;
};

const ExtendedMessage kExtended[] = {
    // 100-119: HFE images, disk repair, sector-dump variants
    {100, "CRC error in the data field of track <%d>, side <%d>, sector <%d> in <%s>"},
    {101, "CRC error in the ID field of track <%d>, side <%d>, sector <%d> in <%s>"},
    {102, "Sector not found: track <%d>, side <%d>, sector <%d> in <%s>"},
    {103, "Not an HFE image that can be read <%s>"},
    {104, "The disk <%s> has no HFE track layout: %d sectors per track, density %d"},
    {105, "The VIB of <%s> lacks the \"DSK\" signature; the disk is read as it stands"},
    {106, "Can't convert <%s> onto itself"},

    // 120-139: disk check and extraction
    {120, "File <%s> was not extracted from <%s>"},
    {121, "File <%s> in <%s> is of no known type and was not extracted"},
    {122, "Can't write the backup <%s>; the disk was not repaired"},
    {123, "The backup <%s> exists already; the disk was not repaired"},

    // 140-159: floppy subdirectories and archive packing
    {140, "No free directory slot on <%s>\n(a disk holds at most three subdirectories)"},
    {141, "Directory <%s> already exists"},
    {142, "Directory <%s> is not empty"},
    {143, "Directory <%s> doesn't exist"},
    {144, "Too many files for one archive\n(an archive holds at most 127 files)"},
    {145, "Archive <%s> would be larger than a TI file can be"},
    {146, "Can't pack <%s>: not a TI file"},
    {147, "Can only pack files to a directory or a disk image"},
    {148, "Please mark the files to pack"},

    // 160-179: faults while writing
    {160, "Can't complete <%s>; the incomplete image was removed"},

    // 180-189: installation, start-up, command line

    // 190-199: speed, background listing

    // 200-209: the program's windows and dialogs

    {0, nullptr},
};

const char* ExtendedText(int number)
{
    for (const ExtendedMessage& entry : kExtended)
        if (entry.text && entry.number == number)
            return entry.text;
    return nullptr;
}

const char* const kUnknownText = "Unknown error <%d>";

constexpr size_t kMessageBufferSize = 512;

// Formats one conversion with the C library so that width, precision and
// flags behave exactly as printf; only the argument's type is ours to pick.
std::string FormatOne(const std::string& directive, char conversion, const MessageArg* arg)
{
    char buffer[kMessageBufferSize];
    if (conversion == 's') {
        std::string text;
        if (arg)
            text = arg->IsText() ? arg->Text() : std::to_string(arg->Number());
        std::string fmt = directive + "s";
        std::snprintf(buffer, sizeof buffer, fmt.c_str(), text.c_str());
        return buffer;
    }
    if (conversion == 'c') {
        int c = 0;
        if (arg)
            c = arg->IsText() ? (arg->Text().empty() ? 0 : static_cast<unsigned char>(arg->Text()[0]))
                              : static_cast<int>(arg->Number() & 0xFF);
        if (c == 0)
            return std::string();
        std::string fmt = directive + "c";
        std::snprintf(buffer, sizeof buffer, fmt.c_str(), c);
        return buffer;
    }
    if (!std::strchr("diuxXo", conversion))
        return directive + conversion; // not a conversion of ours: shown as written
    if (arg && arg->IsText())
        return arg->Text();
    long long value = arg ? arg->Number() : 0;
    // The catalog's numbers are 32 bits wide, as int and long were where the
    // texts were written: -1 shows as ffffffff with %x and as 4294967295 with %u.
    std::string fmt = directive + conversion;
    if (conversion == 'd' || conversion == 'i')
        std::snprintf(buffer, sizeof buffer, fmt.c_str(), static_cast<int32_t>(value));
    else
        std::snprintf(buffer, sizeof buffer, fmt.c_str(), static_cast<uint32_t>(value));
    return buffer;
}

} // namespace

// Numbers 0 to 64 are the original catalog; later ones (kExtended) start at 100.
const char* CatalogText(int number)
{
    if (number >= 0 && number < kMessageCount)
        return kCatalog[number];
    if (const char* text = ExtendedText(number))
        return text;
    return kUnknownText;
}

std::string FormatText(const char* format, MessageArgs args)
{
    std::string out;
    auto next = args.begin();
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            ++p;
            continue;
        }
        std::string directive = "%";
        const char* q = p + 1;
        while (*q && std::strchr("-+ #0123456789.", *q))
            directive += *q++;
        while (*q == 'l' || *q == 'h' || *q == 'z')
            ++q; // length modifiers are ours to choose
        if (!*q)
            break;
        const MessageArg* arg = next != args.end() ? &*next++ : nullptr;
        out += FormatOne(directive, *q, arg);
        p = q;
    }
    if (out.size() > kMessageBufferSize - 1)
        out.resize(kMessageBufferSize - 1);
    return out;
}

std::string FormatCatalogMessage(int number, MessageArgs args)
{
    if (number >= 0 && number < kMessageCount)
        return FormatText(kCatalog[number], args);
    if (const char* text = ExtendedText(number))
        return FormatText(text, args);
    return FormatText(kUnknownText, {number});
}

std::string SystemErrorText(int code)
{
    std::string text = std::strerror(code);
    // For a code it does not know the C library makes up "Unknown error 1234"
    // (or "Unknown error: 1234"); that is no text of the system's, and the
    // number is in the message already.
    if (text.rfind("Unknown error", 0) == 0)
        return std::string();
    std::string clean;
    for (char c : text)
        if (c != '\r' && c != '\n')
            clean += c;
    return clean;
}

void ReportError(Ui& ui, int number, MessageArgs args)
{
    ui.SetLastMessage(number);
    ui.ShowError(FormatCatalogMessage(number, args));
}

void ReportSystemError(Ui& ui, int systemCode, int number, MessageArgs args)
{
    std::string text = FormatCatalogMessage(number, args);
    if (systemCode != 0)
        text += FormatText("\n\nERROR %u: %s", {systemCode, SystemErrorText(systemCode)});
    ui.SetLastMessage(number);
    ui.ShowError(text);
}

Answer AskError(Ui& ui, int number, MessageArgs args)
{
    ui.SetLastMessage(number);
    return ui.AskErrorQuestion(FormatCatalogMessage(number, args));
}

} // namespace kestrel
