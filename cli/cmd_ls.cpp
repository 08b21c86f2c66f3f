// ls [--sort N] [--tsv | --json] LOCATION: the catalog of a location as a
// pane shows it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "tifs/catalog.h"
#include "tifs/settings.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "ls [--sort N] [--tsv | --json] LOCATION";

std::string JsonString(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                // Names are bytes, not UTF-8: each byte stands for its own code point.
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    return out + "\"";
}

// A folder of many thousand files must not cost a formatted print per line, nor cells kept
// until the widths are known (fresh pages are what a short-lived process pays most for): the
// cells are made once to measure the columns and again to print them, and the lines go out in
// large writes.
void PrintColumns(const Location &location)
{
    constexpr size_t kCells = 6;
    constexpr size_t kChunk = 64 * 1024;
    size_t widths[kCells] = {0, 0, 0, 0, 0, 0};
    for (const auto &entry : location.entries) {
        const auto row = EntryCells(*entry, location);
        for (size_t i = 0; i < kCells; ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    std::string out;
    out.reserve(kChunk + 1024);
    for (const auto &entry : location.entries) {
        const auto row = EntryCells(*entry, location);
        const size_t start = out.size();
        for (size_t i = 0; i < kCells; ++i) {
            out += row[i];
            if (i + 1 < kCells) {
                out.append(widths[i] - row[i].size() + 2, ' ');
            }
        }
        while (out.size() > start && out.back() == ' ') {
            out.pop_back();
        }
        out += '\n';
        if (out.size() >= kChunk) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    out += StatusLine(location);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintTsv(const Location &location)
{
    for (const auto &entry : location.entries) {
        auto cells = EntryCells(*entry, location);
        std::string line;
        for (size_t i = 0; i < 6; ++i) {
            if (i > 0) {
                line.push_back('\t');
            }
            line += cells[i];
        }
        std::printf("%s\n", line.c_str());
    }
    std::printf("%s\n", StatusLine(location).c_str());
}

bool HasDiskSummary(uint16_t kind)
{
    return IsFloppyImageKind(kind) || kind == kKindCf7DriveVolume || kind == kKindCf7ImageVolume;
}

void PrintJson(const Location &location)
{
    std::printf("{\n  \"location\": %s,\n  \"path_line\": %s,\n  \"location_kind\": %d,\n"
                "  \"entries\": [",
                JsonString(location.path).c_str(), JsonString(PathLineText(location)).c_str(),
                location.kind);
    bool first = true;
    for (const auto &item : location.entries) {
        const CatalogEntry &e = *item;
        std::printf("%s\n    {", first ? "" : ",");
        first = false;
        std::printf("\"pc_name\": %s, \"ti_name\": %s, \"description\": %s, \"kind\": %u, "
                    "\"kind_name\": %s, \"container_kind\": %u, \"flags\": %u, "
                    "\"sectors\": %u, \"record_length\": %u, \"records_per_sector\": %u, "
                    "\"eof_offset\": %u, \"level3_count\": %u, \"fdr_sector\": %u, "
                    "\"header_kind\": %u, \"image_size\": %u, \"base_offset\": %u, "
                    "\"density\": %u, \"tracks_per_side\": %d, \"sectors_per_track\": %d, "
                    "\"container_words\": [%u, %u, %u, %u], \"archive_member\": %u, "
                    "\"compressed\": %u, \"marked\": %s",
                    JsonString(e.pcName).c_str(), JsonString(e.ti.tiName).c_str(),
                    JsonString(e.ti.description).c_str(), e.ti.kind,
                    JsonString(EntryKindName(e.ti.kind)).c_str(), e.containerKind, e.ti.flags,
                    e.ti.sectors, e.ti.recordLength, e.ti.recordsPerSector, e.ti.eofOffset,
                    e.ti.level3Count, e.ti.fdrSector, e.ti.headerKind, e.imageSize, e.baseOffset,
                    e.density, e.tracksPerSide, e.sectorsPerTrack, e.containerWords[0],
                    e.containerWords[1], e.containerWords[2], e.containerWords[3], e.archiveMember,
                    e.compressed, e.marked ? "true" : "false");
        if (HasDiskSummary(e.ti.kind)) {
            const DiskSummary &d = e.disk.Get();
            std::printf(", \"disk\": {\"name\": %s, \"image_kind\": %u, \"signature\": %s, "
                        "\"total_sectors\": %u, \"sectors_per_track\": %u, \"protection\": %d, "
                        "\"tracks_per_side\": %u, \"sides\": %u, \"density\": %u, "
                        "\"free\": %d, \"total\": %u, \"free_again\": %d, \"used\": %d}",
                        JsonString(d.name).c_str(), d.imageKind, JsonString(d.signature).c_str(),
                        d.totalSectors, d.sectorsPerTrack, d.protection, d.tracksPerSide, d.sides,
                        d.density, d.free, d.total, d.freeAgain, d.used);
        }
        std::printf("}");
    }
    std::printf("%s],\n  \"status\": %s\n}\n", location.entries.empty() ? "" : "\n  ",
                JsonString(StatusLine(location)).c_str());
}

int UsageError(const char *why)
{
    std::fprintf(stderr, "kestrel-cli: %s\nusage: kestrel-cli %s\n", why, kUsage);
    return 1;
}

int RunLs(CommandContext &context)
{
    int sort = ProgramSettings().sortBy;
    enum { kColumns, kTsv, kJson } format = kColumns;
    std::string target;
    bool haveTarget = false;
    const auto &args = context.args;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--sort") {
            if (i + 1 >= args.size()) {
                return UsageError("--sort needs a number");
            }
            char *end = nullptr;
            long value = std::strtol(args[++i].c_str(), &end, 10);
            if (end == args[i].c_str() || *end != '\0') {
                return UsageError("--sort needs a number");
            }
            sort = static_cast<int>(value);
        } else if (arg == "--tsv" || arg == "--json") {
            if (format != kColumns) {
                return UsageError("--tsv and --json exclude each other");
            }
            format = arg == "--tsv" ? kTsv : kJson;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return UsageError(("unknown option " + arg).c_str());
        } else if (haveTarget) {
            return UsageError("one LOCATION only");
        } else {
            target = arg;
            haveTarget = true;
        }
    }
    if (!haveTarget) {
        return UsageError("LOCATION missing");
    }

    Location location;
    location.sortOrder = sort;
    if (!ResolveLocationPath(location, target, *context.ui)) {
        return 1;
    }
    SortCatalog(location);
    switch (format) {
    case kColumns:
        PrintColumns(location);
        break;
    case kTsv:
        PrintTsv(location);
        break;
    case kJson:
        PrintJson(location);
        break;
    }
    return context.ui->ErrorCount() > 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("ls", kUsage, RunLs);

} // namespace kestrel::cli
