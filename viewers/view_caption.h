// Captions of the viewer windows.
#pragma once

#include <cstddef>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/settings.h" // kProgramName

namespace kestrel
{

// Texts longer than this are marked as truncated in their caption.
constexpr size_t kViewTextLimit = 61440;
constexpr const char *kTruncatedSuffix = " (truncated to 60Kb)";

// The name of an entry as a caption shows it: the PC name of a file in a PC
// directory, the TI name without its trailing blanks inside a container.
std::string ViewFileName(const Location &location, const CatalogEntry &entry);

// "Kestrel - <location>-><file>", where the location part carries the steps
// of the pane's path line, which gives the forms "%s - %s->%s",
// "%s - %s->%s->%s" and "%s - %s->%s->%s->%s".
std::string FileViewCaption(const Location &location, const std::string &fileName);

// Appends " (truncated to 60Kb)" when the text is longer than 61440 characters.
void MarkTruncated(std::string &caption, size_t textLength);

} // namespace kestrel
