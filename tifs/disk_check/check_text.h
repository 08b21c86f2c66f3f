// The wording helpers every disk check and repair report shares, so that a
// finding names a file the same way whichever kind of disk it was found on.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel
{

// printf into a line of a report (cut at 511 characters).
std::string CheckText(const char *format, ...) __attribute__((format(printf, 1, 2)));

// 10 name bytes as text: trailing blanks dropped, unprintable bytes shown as
// '?' so that a damaged name cannot garble the report, "(no name)" for none.
std::string ShownTiName(const uint8_t *name);

// One line for a run of allocation units whose bitmap bits disagree with the
// files: marked used but owned by no file (usedByNoFile), or the other way.
std::string BitmapRunText(unsigned first, unsigned last, bool usedByNoFile);

} // namespace kestrel
