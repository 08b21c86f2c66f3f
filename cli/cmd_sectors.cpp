// sectors IMAGE FIRST COUNT: the hexadecimal view of COUNT sectors of an
// image from sector FIRST, caption first.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "viewers/sector_range_view.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "sectors IMAGE FIRST COUNT";

int UsageError(const char *why)
{
    std::fprintf(stderr, "kestrel-cli: %s\nusage: kestrel-cli %s\n", why, kUsage);
    return 1;
}

// Decimal, or hexadecimal with ">" or "0x" in front.
bool ParseNumber(const std::string &text, uint32_t &value)
{
    std::string digits = text;
    int base = 10;
    if (!digits.empty() && digits[0] == '>') {
        digits.erase(0, 1);
        base = 16;
    } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.erase(0, 2);
        base = 16;
    }
    if (digits.empty() || digits[0] == '-' || digits[0] == '+') {
        return false;
    }
    char *end = nullptr;
    const unsigned long long v = std::strtoull(digits.c_str(), &end, base);
    if (*end != '\0' || v > 0xFFFFFFFFull) {
        return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

int RunSectors(CommandContext &context)
{
    const auto &args = context.args;
    if (args.size() != 3) {
        return UsageError("IMAGE, FIRST and COUNT expected");
    }
    SectorRange range;
    range.imagePath = args[0];
    range.label = args[0];
    if (!ParseNumber(args[1], range.firstAu) || !ParseNumber(args[2], range.auCount)) {
        return UsageError("FIRST and COUNT are numbers");
    }
    TextView view;
    if (!ComposeSectorRangeView(range, *context.ui, view)) {
        return 1;
    }
    std::printf("%s\n", view.caption.c_str());
    std::fwrite(view.text.data(), 1, view.text.size(), stdout);
    return context.ui->ErrorCount() > 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("sectors", kUsage, RunSectors);

} // namespace kestrel::cli
