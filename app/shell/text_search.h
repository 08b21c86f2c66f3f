// Find and replace over the text of a text window, as the window holds it
// (CR LF line ends). Positions are byte offsets into that text. Nothing here
// shows a box: a search that is not silent and finds nothing leaves the
// "String not found" box to the caller.
#pragma once

#include <cstddef>
#include <string>

#include "app/shell/edit_slots.h"

namespace kestrel
{

struct TextSelection {
    size_t start = 0;
    size_t end = 0;
};

// Searches text for what from the selection: a selection that already holds
// what (without regard to case) is skipped, so repeated searches step from
// match to match. Forwards the search runs to the end of the text,
// backwards down to position 0. The first character is compared without
// regard to case, the rest by flags.matchCase; flags.wholeWord also wants
// the start or end of the text, a tab, CR, space, comma or period on both
// sides. True with found set to the match; false when nothing matched or
// what is empty.
bool SearchText(const std::string &text, const std::string &what, TextSelection selection,
                const SearchFlags &flags, TextSelection &found);

// Replaces every match of what, searching forwards from the start and going
// on behind each inserted text, so a replacement that contains what ends.
// selection is left as it was. Returns the number of replacements.
size_t ReplaceAllText(std::string &text, const std::string &what, const std::string &replacement,
                      const SearchFlags &flags);

// Texts held with LF line ends (as a text widget holds them) and the CR LF
// form the search works on: the whole text, and positions either way.
std::string ToCrLfText(const std::string &lfText);
std::string ToLfText(const std::string &crLfText);
size_t LfToCrLfPosition(const std::string &lfText, size_t position);
size_t CrLfToLfPosition(const std::string &crLfText, size_t position);

} // namespace kestrel
