// Qt key events into the program's key codes, at the edge, once.
#pragma once

#include <Qt>

namespace kestrel
{

// The virtual-key number of a Qt key (keypad plus and minus become Gray +
// and Gray -), with 0x8000 for Ctrl and 0x4000 for Shift; 0 for a key the
// program has no code for.
int TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace kestrel
