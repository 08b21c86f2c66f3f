// Rewriting the 128-byte PC header of TI files in a PC directory in place:
// TIFILES and Classic99 files to V9T9, V9T9 files to TIFILES. The data
// behind the header is never touched, except that a Classic99 file is
// padded with zeros to whole sectors.
#pragma once

#include <string>
#include <vector>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

enum class HeaderTarget { V9t9, Tifiles };

// Kinds 1 to 5 with header kind 2 or 3 (to V9T9) or header kind 1 (to TIFILES).
bool QualifiesForHeaderConversion(const CatalogEntry &entry, HeaderTarget target);

// The dialog's confirmation text for the entries (marked ones in batch
// mode, the cursor entry otherwise): "Do you really wish to convert <%s>",
// "Do you really wish to convert %u files?" with up to four names, or the
// "Sorry ..." text when none qualifies. verb is "convert" or "set
// attributes for".
std::string ConfirmationText(const std::vector<const CatalogEntry *> &qualifying, bool batch,
                             const std::string &verb);

// Rewrites one entry's header (PC directory at directory). The descriptor
// loses its archive flag and gets the new header kind; a V9T9 header gets
// the TI name (or the TI form of the PC name); a TIFILES header none, so
// the TI name becomes the one the catalog derives from the PC name. False after reporting
// "Can't open file for read <%s>" or "Can't write sector <%d> to <%s>".
bool ConvertEntryHeader(Ui &ui, const std::string &directory, CatalogEntry &entry,
                        HeaderTarget target);

// The command over a pane: refuses a pane that is not a PC directory with
// "Can only convert V9T9, TIFILES or CLASSIC99 files in a directory".
// entries are the marked entries (batch) or the cursor entry; each is
// unmarked whether it qualified or not, "Converting <%s>" is the status
// text while it runs, failures are reported and the batch goes on.
// Returns the number converted, -1 when refused.
int ConvertHeaders(Ui &ui, const Location &pane, const std::vector<CatalogEntry *> &entries,
                   HeaderTarget target);

} // namespace kestrel
