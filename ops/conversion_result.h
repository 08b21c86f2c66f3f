// Result codes shared by the conversions of one entry, and the batch state
// that carries the overwrite question's "All" answer across entries.
#pragma once

#include <string>

#include "tifs/ui.h"

namespace kestrel
{

enum ConversionResult : int {
    kConversionDone = 0,    // converted, or skipped on the user's "No"
    kConversionFailed = -1, // a message was reported; a batch ends here
    kConversionStop = 2,    // Cancel, or a container that cannot take more
};

// The overwrite question for a conversion's target: "%s <%s> allready
// exist. Overwrite?" with kindWord and name, unless overwriteAll is set. All
// sets overwriteAll and counts as Yes.
Answer AskConversionOverwrite(Ui &ui, const std::string &kindWord, const std::string &name,
                              bool &overwriteAll);

} // namespace kestrel

namespace kestrel
{

// The program's general temporary file, the directory made first when the
// program has not made it yet; "" (after "Can't open file for write <%s>")
// when no private directory can be made.
std::string ConversionTempFile(Ui &ui);

} // namespace kestrel

#include "tifs/floppy/floppy_writer.h"
#include "tifs/location.h"

namespace kestrel
{

// Where the floppy writer adds a file for a location that shows a DSK image
// (or one of its subdirectories) or a volume of a CF7A+ card image (the
// volume's byte base in the card). False for a volume of a card in a drive,
// which the floppy writer cannot reach (its sectors are spread over
// physical ones).
bool ConversionImageTarget(const Location &location, FloppyTarget &target);

} // namespace kestrel
