// The directory report ("Feed filelist to edit window"): a text listing of a
// pane's catalog for a writable text window.
#pragma once

#include <string>

#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

struct DirectoryReport {
    std::string caption; // "Kestrel - " and the pane's path line
    std::string text;    // CR LF line ends
};

// Two title lines, the column line and 87 dashes, then one line per entry in
// list order ("..", kind 7, left out). The text stays within the buffer the
// report has always had (entry count x 60 + 500 bytes, its end included): a
// line that would not fit ends it.
DirectoryReport BuildDirectoryReport(const Location &location);

} // namespace kestrel
