#include "app/shell/edit_slots.h"

#include "tifs/messages.h"

namespace kestrel
{

namespace
{
constexpr int kNoMoreViewers = 15;
}

EditSlotTable::EditSlotTable()
{
    for (int i = 0; i < kEditSlotCount; ++i)
        m_slots[i].number = i + 1;
}

EditSlot *EditSlotTable::Acquire(EditSlotKind kind, Ui &ui)
{
    for (EditSlot &slot : m_slots) {
        if (slot.kind == EditSlotKind::Free) {
            const int number = slot.number;
            slot = EditSlot();
            slot.number = number;
            slot.kind = kind == EditSlotKind::Free ? EditSlotKind::Text : kind;
            return &slot;
        }
    }
    ReportError(ui, kNoMoreViewers);
    return nullptr;
}

void EditSlotTable::Release(EditSlot *slot)
{
    if (!slot)
        return;
    const int number = slot->number;
    *slot = EditSlot();
    slot->number = number;
}

int EditSlotTable::InUse() const
{
    int count = 0;
    for (const EditSlot &slot : m_slots)
        count += slot.kind != EditSlotKind::Free ? 1 : 0;
    return count;
}

EditSlot &EditSlotTable::Slot(int number)
{
    if (number < 1 || number > kEditSlotCount)
        number = 1;
    return m_slots[number - 1];
}

EditSlotPlacement &EditSlotTable::Placement(const EditSlot &slot, Settings &settings)
{
    int index = slot.number - 1;
    if (index < 0 || index >= kEditSlotCount)
        index = 0;
    return settings.editSlots[index];
}

void EditSlotTable::UpdatePlacement(const EditSlot &slot, Settings &settings, int32_t left,
                                    int32_t top, int32_t width, int32_t height)
{
    EditSlotPlacement &p = Placement(slot, settings);
    p.left = left;
    p.top = top;
    p.width = width;
    p.height = height;
}

EditSlotTable &ProgramEditSlots()
{
    static EditSlotTable table;
    return table;
}

} // namespace kestrel
