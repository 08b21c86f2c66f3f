#include "viewers/record_text.h"

#include "tifs/ti_file.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

// Room for a byte, CR LF and the closing NUL.
constexpr ptrdiff_t kRecordReserve = 4;
constexpr uint8_t kEndOfSectorMark = 0xFF;

bool Full(char *&out, char *end, ptrdiff_t reserve)
{
    if (end - out >= reserve) {
        return false;
    }
    if (out < end) {
        *out = '\0';
    }
    return true;
}

char Shown(uint8_t c)
{
    return IsPrintable(c) ? static_cast<char>(c) : '.';
}

} // namespace

char *FixedRecordsToText(bool raw, const uint8_t *data, size_t length, uint32_t &recordCounter,
                         const CatalogEntry &entry, char *out, char *end)
{
    const size_t recordLength = entry.ti.recordLength;
    if (recordLength == 0) {
        return out;
    }
    size_t perSector = entry.ti.recordsPerSector;
    if (perSector == 0) {
        perSector = kSectorSize / recordLength;
    }
    const uint32_t limit = entry.ti.level3Count;
    for (size_t record = 0; record < perSector; ++record) {
        const size_t start = record * recordLength;
        if (start + recordLength > length) {
            break; // a damaged descriptor claims more than the sector holds
        }
        if (limit != 0 && recordCounter >= limit) {
            break;
        }
        for (size_t i = 0; i < recordLength; ++i) {
            if (Full(out, end, kRecordReserve)) {
                return nullptr;
            }
            const uint8_t c = data[start + i];
            *out++ = raw ? static_cast<char>(c) : Shown(c);
        }
        if (!raw) {
            *out++ = '\r';
            *out++ = '\n';
        }
        ++recordCounter;
    }
    return out;
}

char *VariableRecordsToText(const uint8_t *data, size_t length, char *out, char *end)
{
    size_t pos = 0;
    while (pos < length) {
        const size_t n = data[pos];
        // No record can be 255 bytes long, since the end mark must follow
        // the last record; so 0xFF is always the mark, even at offset 0,
        // where it would otherwise just fit as a record.
        if (n == kEndOfSectorMark || pos + 1 + n > length) {
            break;
        }
        for (size_t i = 0; i < n; ++i) {
            if (Full(out, end, kRecordReserve)) {
                return nullptr;
            }
            *out++ = Shown(data[pos + 1 + i]);
        }
        if (Full(out, end, kRecordReserve)) {
            return nullptr;
        }
        *out++ = '\r';
        *out++ = '\n';
        pos += 1 + n;
    }
    return out;
}

} // namespace kestrel
