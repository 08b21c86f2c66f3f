// The configuration dialog ("Configuration", PaneOperation::Options): the
// list font, the text, background and mark colours, the mouse-wheel option,
// the drive letters allowed for hard-disk and card images, and two
// conversion options. Every change goes into ProgramSettings() at once, so
// that the panes show it, and reaches the settings file at exit; Cancel (or
// Escape) puts back what the dialog found and has the panes follow again.
#pragma once

#include <cstdint>
#include <functional>

class QWidget;
class QColor;

namespace kestrel
{

// Called after a real change: a new list font chosen with OK, or a colour
// that differs from the one it replaces. The main window makes its font,
// line height, brushes and panes follow the settings there.
struct ConfigurationHooks {
    std::function<void()> fontChanged;
    std::function<void()> coloursChanged;
};

// Modal; returns true when closed (always: the operation is handled here).
bool RunConfiguration(QWidget *owner, const ConfigurationHooks &hooks);

// Whether the "mousewheel" setting means anything here: only on Windows,
// where some drivers sent no wheel messages. Elsewhere the wheel always
// scrolls and the dialog does not offer the switch.
bool MouseWheelSwitchApplies();

// Point sizes the font dialog offers.
constexpr int kMinFontPoints = 8;
constexpr int kMaxFontPoints = 18;

// COLORREF (0x00BBGGRR) to and from QColor.
uint32_t ToColorRef(const QColor &color);

} // namespace kestrel
