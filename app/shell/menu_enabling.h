// Greying of the main menu for the active pane and its cursor entry, worked
// out each time the menu bar opens. With E the cursor entry and S the marked
// entries (E alone when nothing is marked), each item the rules cover is
// enabled exactly when its condition holds. An empty pane only greys the
// items that need an entry and leaves the others as they were. The checks
// the copy, rename, delete, new-directory and attribute commands make before
// they start decide their items, asked silently.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/shell/pane.h"

namespace kestrel
{

struct MenuItemState {
    int id;
    bool enabled;
};

// The items to change, in a fixed order; items not listed keep their state.
// other is the pane that a copy would go to.
std::vector<MenuItemState> MenuEnabling(const Pane &active, const Pane &other);

// The ids that an empty pane greys.
const std::vector<int> &ItemsGreyedWhenEmpty();

constexpr const char *kNoRecentLocations = "(none)";

struct RecentMenuItem {
    int id;
    std::string text; // "&1 C:\TI"
    bool enabled;     // false for an empty slot
    bool visible = true;
};

// The five recent-location items from the stored locations 1 to 5. Empty
// slots are not shown; when all five are empty the first one stays, greyed,
// as "(none)", so that the menu says the list is empty.
std::vector<RecentMenuItem> RecentMenuItems(const std::array<std::string, 5> &locations);

} // namespace kestrel
