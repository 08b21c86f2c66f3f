// The decoded volume information block of a floppy image or volume.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kestrel {

struct DiskSummary {
    std::string name;        // disk name, "no_name!! " when it begins with a space
    uint16_t imageKind = 0;  // 9 sector dump, 10 PC99 SD, 11 PC99 DD, 0 not a disk
    std::string signature;   // "DSK"
    uint16_t totalSectors = 0;
    uint16_t sectorsPerTrack = 0;
    int16_t protection = 0;  // VIB byte 16
    uint16_t tracksPerSide = 0;
    uint16_t sides = 0;
    uint16_t density = 0;
    int16_t free = 0;        // 1600 minus the set bitmap bits
    uint16_t total = 0;      // total sectors again
    int16_t freeAgain = 0;
    int16_t used = 0;        // total minus free
};

// The summary of a catalog entry that is a disk. Most entries of a large folder are not,
// and a summary held in each would make every entry a third larger: it is kept beside the
// entry only once one is set. Copies are deep; an entry without one reads as all zero.
class DiskSummaryBox {
public:
    DiskSummaryBox() = default;
    DiskSummaryBox(const DiskSummaryBox& other)
        : m_value(other.m_value ? std::make_unique<DiskSummary>(*other.m_value) : nullptr) {}
    DiskSummaryBox(DiskSummaryBox&&) noexcept = default;
    DiskSummaryBox& operator=(const DiskSummaryBox& other) {
        if (this != &other) {
            m_value = other.m_value ? std::make_unique<DiskSummary>(*other.m_value) : nullptr;
        }
        return *this;
    }
    DiskSummaryBox& operator=(DiskSummaryBox&&) noexcept = default;
    DiskSummaryBox& operator=(const DiskSummary& summary) {
        Edit() = summary;
        return *this;
    }

    const DiskSummary& Get() const {
        static const DiskSummary kNone;
        return m_value ? *m_value : kNone;
    }
    DiskSummary& Edit() {
        if (!m_value) {
            m_value = std::make_unique<DiskSummary>();
        }
        return *m_value;
    }
    void Reset() { m_value.reset(); }

private:
    std::unique_ptr<DiskSummary> m_value;
};

} // namespace kestrel
