#include "tifs/floppy/pc99_check.h"

#include <cstdio>

#include "tifs/floppy/pc99.h"

namespace kestrel
{

namespace
{

constexpr uint8_t kIdMark = 0xFE;
constexpr uint8_t kDataMark = 0xFB;
constexpr uint8_t kDeletedDataMark = 0xF8;
constexpr uint8_t kSizeCode256 = 1;
// A badly damaged image would otherwise bury the report in lines.
constexpr size_t kLineLimit = 64;

class TrackChecker
{
public:
    TrackChecker(std::vector<std::string> &findings) : m_findings(findings) {}

    void Find(const char *format, unsigned a = 0, unsigned b = 0, unsigned c = 0, unsigned d = 0)
    {
        ++m_count;
        if (m_count > kLineLimit) {
            return;
        }
        char text[200];
        std::snprintf(text, sizeof text, format, a, b, c, d);
        m_findings.push_back(text);
    }

    void Close()
    {
        if (m_count > kLineLimit) {
            char text[100];
            std::snprintf(text, sizeof text, "... and %zu more problems on the tracks",
                          m_count - kLineLimit);
            m_findings.push_back(text);
        }
    }

private:
    std::vector<std::string> &m_findings;
    size_t m_count = 0;
};

} // namespace

void CheckPc99Tracks(ImageAccess &image, const DiskSummary &summary,
                     std::vector<std::string> &findings)
{
    const Pc99Geometry *g = Pc99GeometryFor(summary.imageKind);
    if (g == nullptr) {
        return;
    }
    const unsigned perSide = summary.tracksPerSide;
    const unsigned sides = summary.sides;
    TrackChecker out(findings);
    if (perSide == 0 || perSide > 80 || sides == 0 || sides > 2) {
        out.Find("The disk says it has %u tracks on %u sides, which a PC99 image cannot hold",
                 perSide, sides);
        out.Close();
        return;
    }
    const unsigned tracks = perSide * sides;
    const uint64_t needed = uint64_t{tracks} * g->trackLength;
    if (image.Size() < needed) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "The image holds %llu bytes, but %u tracks of %llu bytes need %llu",
                      static_cast<unsigned long long>(image.Size()), tracks,
                      static_cast<unsigned long long>(g->trackLength),
                      static_cast<unsigned long long>(needed));
        findings.push_back(text);
    }
    uint8_t record[kPc99RecordMax];
    for (unsigned track = 0; track < tracks; ++track) {
        const bool side1 = track >= perSide;
        const unsigned cylinder = side1 ? 2 * perSide - 1 - track : track;
        const unsigned side = side1 ? 1 : 0;
        const uint64_t start = uint64_t{track} * g->trackLength;
        if (start >= image.Size()) {
            out.Find("Track %u (side %u) is missing", cylinder, side);
            continue;
        }
        if (start + g->trackLength > image.Size()) {
            out.Find("Track %u (side %u) is cut short: %u of its %u bytes are there", cylinder,
                     side, static_cast<unsigned>(image.Size() - start),
                     static_cast<unsigned>(g->trackLength));
        }
        std::vector<unsigned> seen(g->sectorsPerTrack, 0);
        for (unsigned r = 0; r < g->sectorsPerTrack; ++r) {
            const uint64_t offset = start + g->firstRecord + uint64_t{r} * g->recordLength;
            if (!image.ReadAt(offset, record, g->recordLength)) {
                break; // the short track was told above
            }
            if (record[g->idMark] != kIdMark) {
                out.Find("Track %u (side %u) record %u has no ID mark (>%02X)", cylinder, side, r,
                         record[g->idMark]);
                continue;
            }
            const unsigned number = record[g->idSector];
            if (record[g->idTrack] != cylinder) {
                out.Find("Track %u (side %u) record %u says it lies on track %u", cylinder, side, r,
                         record[g->idTrack]);
            }
            if (record[g->idSide] != side) {
                out.Find("Track %u (side %u) record %u says it lies on side %u", cylinder, side, r,
                         record[g->idSide]);
            }
            if (record[g->idSize] != kSizeCode256) {
                out.Find("Track %u (side %u) record %u has size code %u, not 1 (256 bytes)",
                         cylinder, side, r, record[g->idSize]);
            }
            const uint8_t mark = record[g->data - 1];
            if (mark != kDataMark && mark != kDeletedDataMark) {
                out.Find("Track %u (side %u) record %u has no data mark (>%02X)", cylinder, side, r,
                         mark);
            }
            if (number >= g->sectorsPerTrack) {
                out.Find("Track %u (side %u) record %u names sector %u, beyond the track", cylinder,
                         side, r, number);
            } else if (++seen[number] == 2) {
                out.Find("Track %u (side %u) holds sector %u twice", cylinder, side, number);
            }
        }
        if (start + g->trackLength <= image.Size()) {
            for (unsigned s = 0; s < g->sectorsPerTrack; ++s) {
                if (seen[s] == 0) {
                    out.Find("Track %u (side %u) has no sector %u", cylinder, side, s);
                }
            }
        }
    }
    out.Close();
}

} // namespace kestrel
