// The "Convert text file to (Extended)Basic" dialog: the TI name and the kind
// of output for one PC text file or the marked batch, handed to the
// tokenizer conversion of ops/basic_conversion.h. The output kind and the
// log choices are kept for the next opening while the program runs.
#pragma once

#include "app/shell/shell.h"
#include "ops/basic_conversion.h"
#include "tifs/ui.h"

class QWidget;

namespace kestrel
{

// The shell command (PaneOperation::ConvertTextToBasic): the marked plain PC
// files of the pane side (or its cursor entry) into the other pane, which
// must show a PC directory, a DSK image, a single-volume hard-disk image or
// a CF7A+ volume. The destination is listed again afterwards. True: handled.
bool RunConvertTextToBasic(QWidget *owner, Shell &shell, Ui &ui, int side);

// The choices the next opening starts with.
BasicConversionOptions RememberedBasicOptions();

} // namespace kestrel
