// Key codes of the key interpreter: the Windows virtual-key numbers in the low
// 12 bits, with 0x8000 for the Ctrl variant and 0x4000 for the Shift variant.
// Menu items and toolbar buttons send these same codes, so a command behaves
// exactly like its key.
#pragma once

namespace kestrel
{

constexpr int kKeyCtrl = 0x8000;
constexpr int kKeyShift = 0x4000;
constexpr int kKeyMask = 0x0FFF;

constexpr int kKeyBackspace = 0x08;
constexpr int kKeyTab = 0x09;
constexpr int kKeyEnter = 0x0D;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeyPageUp = 0x21;
constexpr int kKeyPageDown = 0x22;
constexpr int kKeyEnd = 0x23;
constexpr int kKeyHome = 0x24;
constexpr int kKeyUp = 0x26;
constexpr int kKeyDown = 0x28;
constexpr int kKeyInsert = 0x2D;
constexpr int kKeyDelete = 0x2E;
constexpr int kKeyR = 0x52;
constexpr int kKeyU = 0x55;
constexpr int kKeyGrayPlus = 0x6B;  // VK_ADD, the keypad plus
constexpr int kKeyGrayMinus = 0x6D; // VK_SUBTRACT, the keypad minus
constexpr int kKeyF2 = 0x71;
constexpr int kKeyF3 = 0x72;
constexpr int kKeyF4 = 0x73;
constexpr int kKeyF5 = 0x74;
constexpr int kKeyF6 = 0x75;
constexpr int kKeyF7 = 0x76;
constexpr int kKeyF8 = 0x77;
constexpr int kKeyF9 = 0x78;

} // namespace kestrel
