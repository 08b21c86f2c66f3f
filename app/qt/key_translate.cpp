#include "app/qt/key_translate.h"

#include "app/shell/key_codes.h"

namespace kestrel
{

namespace
{

int VirtualKey(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 0x41 + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 0x60 + (key - Qt::Key_0) : 0x30 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return kKeyBackspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return kKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kKeyEnter;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_PageUp:
        return kKeyPageUp;
    case Qt::Key_PageDown:
        return kKeyPageDown;
    case Qt::Key_End:
        return kKeyEnd;
    case Qt::Key_Home:
        return kKeyHome;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return kKeyUp;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return kKeyDown;
    case Qt::Key_Insert:
        return kKeyInsert;
    case Qt::Key_Delete:
        return kKeyDelete;
    case Qt::Key_Plus:
        return keypad ? kKeyGrayPlus : 0xBB;
    case Qt::Key_Minus:
        return keypad ? kKeyGrayMinus : 0xBD;
    case Qt::Key_Asterisk:
        return keypad ? 0x6A : 0;
    case Qt::Key_Slash:
        return keypad ? 0x6F : 0xBF;
    default:
        return 0;
    }
}

} // namespace

int TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    int code = VirtualKey(qtKey, (modifiers & Qt::KeypadModifier) != 0);
    if (code == 0)
        return 0;
    if (modifiers & Qt::ControlModifier)
        code |= kKeyCtrl;
    if ((modifiers & Qt::ShiftModifier) || qtKey == Qt::Key_Backtab)
        code |= kKeyShift;
    return code;
}

} // namespace kestrel
