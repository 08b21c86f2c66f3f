// The data chain of an FDR: which sectors hold a file's data, in order.
// Floppy FDRs hold 3-byte cluster entries from byte 28 (start sector, last
// file-relative offset); hard-disk FDRs hold 4-byte entries from byte 40
// (first AU, last AU). Decoding is bounded by the FDR itself, and every
// cluster is checked against the disk and against the clusters before it,
// so a damaged chain is told apart from a good one instead of being followed
// outside the disk or round in circles.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrel
{

struct ChainFormat {
    bool hardDisk = false;
    unsigned startUnit = 1;    // floppy: sectors per start-field unit (4 on high density)
    unsigned sectorsPerAu = 1; // hard disk
    uint64_t base = 0;         // hard disk: first image sector of the volume
    uint64_t limit = 0;        // sectors that exist (floppy: the disk's total); 0: no bound
};

struct Cluster {
    uint64_t first = 0; // sector numbers (hard disk: image sectors, base included)
    uint64_t last = 0;  // inclusive
    uint64_t Count() const { return last - first + 1; }
};

enum class ChainProblem {
    None,
    EndsEarly,   // the chain covers fewer sectors than wanted
    Backwards,   // an entry's last sector lies below its start
    Overlap,     // an entry reuses sectors of an earlier one: a loop
    OutsideDisk, // an entry runs past the last sector of the disk
};

struct ChainResult {
    std::vector<Cluster> clusters;
    uint64_t covered = 0; // file-relative sectors the clusters cover
    ChainProblem problem = ChainProblem::None;
    unsigned problemEntry = 0;  // chain entry index (from 0) of the problem
    uint64_t problemSector = 0; // the sector that lies outside, for OutsideDisk
};

// Decodes the chain of a 256-byte FDR until it covers wanted sectors (all
// entries up to the end marker when wanted is 0). Returns false with
// result.problem set when the chain is damaged; the clusters decoded before
// the problem stay in result.
bool DecodeDataChain(const uint8_t *fdr, const ChainFormat &format, uint64_t wanted,
                     ChainResult &result);

// Encodes one floppy cluster entry at entry index (0 to 74) of an FDR.
void PutClusterEntry(uint8_t *fdr, unsigned index, unsigned startField, unsigned lastOffset);

} // namespace kestrel
