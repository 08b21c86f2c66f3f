// The volume information block (volume sector 0), which is also the root directory record,
// and the directory-record fields that a DDR shares with it.
#pragma once

#include <cstdint>

namespace kestrel::hdlib
{

constexpr int kVibName = 0;            // 10 bytes, space padded
constexpr int kVibTotalAus = 10;       // word
constexpr int kVibHardDiskParams = 16; // high nibble: sectors per AU - 1
constexpr int kDirFileCount = 22;      // byte
constexpr int kDirSubdirCount = 23;    // byte
constexpr int kDirFileIndexAu = 24;    // word
constexpr int kDirParentAu = 26;       // word (DDR only; DSK1 emulation file in the VIB)
constexpr int kDirSubdirList = 28;     // 114 words

constexpr int kMaxFiles = 127;
constexpr int kMaxSubdirs = 114;
constexpr int kNameLength = 10;

// Sectors per AU from byte 16: 1 to 16.
unsigned VibSectorsPerAu(const uint8_t *vib);
uint16_t VibTotalAus(const uint8_t *vib);

// Initialized when the root file index begins at volume sector 64, or in the AU holding it.
bool IsInitializedVib(const uint8_t *vib);

} // namespace kestrel::hdlib
