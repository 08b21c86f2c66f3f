// What a composed view hands to a viewer window: the text, the caption and
// the name the window keeps in its record. The window itself is the GUI's.
#pragma once

#include <string>

namespace kestrel
{

// View modes of a TI file view.
enum ViewMode : int {
    kViewAuto = 0,  // by file type
    kViewHex = 2,   // hexadecimal dump with the header
    kViewForth = 7, // Forth screens
};

struct TextView {
    // False when a failure ended the view before any text (messages 1, 4,
    // 13, 14): the window stays without text and keeps its caption.
    bool hasText = false;
    std::string text; // CR LF line ends, read-only in the window
    std::string caption = "Kestrel";
    std::string recordName; // file name or label kept in the window's record
    int mode = kViewAuto;   // the mode the view ended up in (0 becomes 7 for Forth)
};

} // namespace kestrel
