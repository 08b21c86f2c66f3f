// The 16 window slots shared by text and picture windows. A slot is free, or
// holds one window; its placement (the outer window rectangle) lives in the
// program's settings, so it survives the window and is written at exit.
#pragma once

#include <string>

#include "tifs/settings.h"
#include "tifs/ui.h"

namespace kestrel
{

enum class EditSlotKind { Free, Text, Picture };

// Direction and matching of a slot's searches (the find dialog's flags).
struct SearchFlags {
    bool down = true;
    bool matchCase = false;
    bool wholeWord = false;
};

constexpr size_t kFindTextLimit = 80;

struct EditSlot {
    int number = 0; // 1 to 16
    EditSlotKind kind = EditSlotKind::Free;
    SearchFlags find;
    std::string findText;        // at most 80 characters; empty = no search yet
    std::string replacementText; // at most 80 characters
    std::string name;            // TI name of the file shown: the default Save As name
    std::string fileName;        // where this window's text was last saved; empty = never
};

// The program's table of slots.
class EditSlotTable
{
public:
    EditSlotTable();

    // The first free slot, taken for kind; null with message 15 "No more
    // viewers available" when all 16 are in use.
    EditSlot *Acquire(EditSlotKind kind, Ui &ui);
    // The slot becomes free; its placement stays. Find and file state go.
    void Release(EditSlot *slot);

    int InUse() const;
    EditSlot &Slot(int number); // 1 to 16

    // The slot's outer window rectangle, in the settings (read at start,
    // written at exit by the program).
    static EditSlotPlacement &Placement(const EditSlot &slot, Settings &settings);
    static void UpdatePlacement(const EditSlot &slot, Settings &settings, int32_t left, int32_t top,
                                int32_t width, int32_t height);

private:
    EditSlot m_slots[kEditSlotCount];
};

// The one table of the program.
EditSlotTable &ProgramEditSlots();

} // namespace kestrel
