// The message box for answers of the hard-disk library.
#pragma once

#include <string>

#include "tifs/messages.h"
#include "tifs/ui.h"

namespace kestrel
{

// The text: catalog message `number` with its arguments, then
// "\n\nDSR ERROR %u: %s" with code / 32 and the DSR name, or
// "\n\nDSR ERROR %u: UNKNOWN" when the code exceeds 255.
std::string DsrErrorText(int code, int number, MessageArgs args = {});

// Shows that text through Ui::ShowDsrError (caption "DSR ERROR") and makes
// number the last message number.
void ReportDsrError(Ui &ui, int code, int number, MessageArgs args = {});

} // namespace kestrel
