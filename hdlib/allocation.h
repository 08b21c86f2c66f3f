// Handing out and taking back allocation units through the bitmap.
#pragma once

#include <cstdint>

namespace kestrel::hdlib
{

// Hints: directory records, file indexes and FDRs search from AU 0; a file's first data AUs
// from AU 2048; later data AUs from the last AU of the file's last chain entry.
constexpr uint32_t kRecordHint = 0;
constexpr uint32_t kFirstDataHint = 2048;
constexpr uint32_t kMaxRun = 2048;

// Scans from bit hint to the end of the bitmap (never wrapping to lower AUs, a run never
// spanning two bitmap sectors) for the first run of wanted free AUs, else the longest run
// seen (the first of equal ones); marks at most wanted of it as used and writes that bitmap
// sector back. Answers 0 with the run in first/length (length may be below wanted), 128 when
// no free AU lies at or after the hint, 192 on a read or write failure.
int32_t AllocateAus(uint32_t hint, uint32_t wanted, uint16_t &first, uint16_t &length);

// Clears count bits from bit first on, continuing into the next bitmap sector as needed and
// writing back each sector that changes. AUs outside the allocatable range are left alone.
int32_t ReleaseAus(uint32_t first, uint32_t count);

} // namespace kestrel::hdlib
