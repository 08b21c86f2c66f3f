// Who owns each allocation unit of a disk, as a check walks its structures: every structure
// that takes a unit is named once, and a unit taken twice is what the check reports.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestrel
{

class OwnerMap
{
public:
    static constexpr int kNobody = -1;

    // units units, none owned.
    void Reset(size_t units) { m_owner.assign(units, kNobody); }

    // A new owner by the name findings give it.
    int Add(const std::string &name)
    {
        m_names.push_back(name);
        return static_cast<int>(m_names.size() - 1);
    }

    // Gives unit to owner; units beyond the disk are left alone. False when another owner
    // has it already: earlier is then that owner.
    bool Claim(size_t unit, int owner, int &earlier)
    {
        if (unit >= m_owner.size()) {
            return true;
        }
        int &slot = m_owner[unit];
        if (slot == kNobody) {
            slot = owner;
        } else if (slot != owner) {
            earlier = slot;
            return false;
        }
        return true;
    }

    bool Used(size_t unit) const { return unit < m_owner.size() && m_owner[unit] != kNobody; }
    const char *Name(int owner) const { return m_names[static_cast<size_t>(owner)].c_str(); }

private:
    std::vector<int> m_owner;
    std::vector<std::string> m_names;
};

} // namespace kestrel
