#include "drives/dsr_error.h"

namespace kestrel
{

namespace
{

const char *const kDsrNames[8] = {
    "Bad device name",
    "Device or file is write protected",
    "Bad open attribute",
    "Illegal operation",
    "Out of table or buffer space",
    "Attempt to read past end of file",
    "Device error",
    "File error",
};

} // namespace

std::string DsrErrorText(int code, int number, MessageArgs args)
{
    std::string text = FormatCatalogMessage(number, args);
    // Codes arrive as 32-bit answers; a negative one is shown by its bits.
    unsigned value = static_cast<unsigned>(code);
    if (value > 255) {
        text += FormatText("\n\nDSR ERROR %u: UNKNOWN", {value / 32});
    } else {
        text += FormatText("\n\nDSR ERROR %u: %s", {value / 32, kDsrNames[value / 32]});
    }
    return text;
}

void ReportDsrError(Ui &ui, int code, int number, MessageArgs args)
{
    ui.ShowDsrError(DsrErrorText(code, number, args));
    ui.SetLastMessage(number);
}

} // namespace kestrel
