#include "tifs/floppy/data_chain.h"

#include "tifs/byte_order.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr size_t kHdChain = 40;
constexpr size_t kLastEntryStart = 254; // a chain position beyond this ends the chain

bool Fail(ChainResult &result, ChainProblem problem, unsigned entry, uint64_t sector = 0)
{
    result.problem = problem;
    result.problemEntry = entry;
    result.problemSector = sector;
    return false;
}

} // namespace

bool DecodeDataChain(const uint8_t *fdr, const ChainFormat &format, uint64_t wanted,
                     ChainResult &result)
{
    result = ChainResult();
    size_t entrySize = format.hardDisk ? 4 : 3;
    size_t pos = format.hardDisk ? kHdChain : fdr::kChain;
    int64_t previousLast = -1; // floppy: last file-relative offset so far
    for (unsigned entry = 0; pos <= kLastEntryStart && pos + entrySize <= 256;
         ++entry, pos += entrySize) {
        if (wanted != 0 && result.covered >= wanted) {
            return true;
        }
        Cluster cluster;
        if (format.hardDisk) {
            uint16_t firstAu = GetWordBE(fdr, pos);
            uint16_t lastAu = GetWordBE(fdr, pos + 2);
            if (firstAu == 0) {
                break;
            }
            if (lastAu < firstAu) {
                return Fail(result, ChainProblem::Backwards, entry);
            }
            uint64_t spau = format.sectorsPerAu == 0 ? 1 : format.sectorsPerAu;
            cluster.first = format.base + firstAu * spau;
            cluster.last = format.base + (uint64_t{lastAu} + 1) * spau - 1;
        } else {
            unsigned startField = fdr[pos] + (fdr[pos + 1] & 0x0F) * 256u;
            int64_t lastOffset = (fdr[pos + 1] >> 4) + fdr[pos + 2] * 16;
            if (startField == 0) {
                break;
            }
            if (lastOffset <= previousLast) {
                return Fail(result, ChainProblem::Backwards, entry);
            }
            cluster.first = uint64_t{startField} * (format.startUnit == 0 ? 1 : format.startUnit);
            cluster.last = cluster.first + static_cast<uint64_t>(lastOffset - previousLast) - 1;
            previousLast = lastOffset;
        }
        if (format.limit != 0 && cluster.last >= format.limit) {
            uint64_t outside = cluster.first >= format.limit ? cluster.first : format.limit;
            return Fail(result, ChainProblem::OutsideDisk, entry, outside);
        }
        for (const Cluster &earlier : result.clusters) {
            if (cluster.first <= earlier.last && earlier.first <= cluster.last) {
                return Fail(result, ChainProblem::Overlap, entry);
            }
        }
        result.clusters.push_back(cluster);
        result.covered += cluster.Count();
    }
    if (wanted != 0 && result.covered < wanted) {
        return Fail(result, ChainProblem::EndsEarly, static_cast<unsigned>(result.clusters.size()));
    }
    return true;
}

void PutClusterEntry(uint8_t *fdr, unsigned index, unsigned startField, unsigned lastOffset)
{
    size_t pos = fdr::kChain + size_t{index} * 3;
    fdr[pos] = static_cast<uint8_t>(startField & 0xFF);
    fdr[pos + 1] = static_cast<uint8_t>(((startField >> 8) & 0x0F) | ((lastOffset & 0x0F) << 4));
    fdr[pos + 2] = static_cast<uint8_t>((lastOffset >> 4) & 0xFF);
}

} // namespace kestrel
