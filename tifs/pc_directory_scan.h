// A PC-directory scan that can run in pieces and on another thread, for
// windows that list large folders without stopping. ScanPcDirectory is this
// scan run to its end at once; the entries, their order and the failures are
// the same either way.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"

namespace kestrel
{

class PcDirectoryScan
{
public:
    // pattern as ScanPcDirectory takes it; pcLevelsEntered decides whether
    // ".." is listed.
    PcDirectoryScan(const std::string &pattern, int pcLevelsEntered);
    ~PcDirectoryScan();
    PcDirectoryScan(const PcDirectoryScan &) = delete;
    PcDirectoryScan &operator=(const PcDirectoryScan &) = delete;

    // Opens the directory (cheap: no name is read). 0, or the system error
    // code of the failed open; nothing is reported.
    int Open();
    // Reads and orders the matching names. 0, or the system error code the
    // directory search ends with (ENOENT when nothing matches; ECANCELED when
    // *cancel was set meanwhile). Nothing is reported.
    int ReadNames(const std::atomic<bool> *cancel = nullptr);
    // Lists up to count further matches, appending their entries to out
    // (unreadable files are left out, as in ScanPcDirectory). False once
    // every match has been looked at.
    bool Next(Catalog &out, size_t count);

    size_t MatchCount() const { return m_matches.size(); }

    // After Open and ReadNames, any one thread at a time may call Next:
    // the scan touches no Ui and no Location.
private:
    // The names lie one after the other in m_names, each ended by a zero byte: a list of
    // strings would cost a string's worth (and its moves while sorting) per file.
    struct Match {
        uint32_t offset;
        uint16_t length;
        unsigned char type;
    };
    const char *NameOf(const Match &match) const { return m_names.data() + match.offset; }
    std::string m_pattern;
    std::string m_directory;
    std::string m_namePattern;
    int m_pcLevelsEntered = 0;
    void *m_dir = nullptr; // DIR *
    std::vector<Match> m_matches;
    std::vector<char> m_names;
    size_t m_next = 0;
};

// The order SortCatalog sorts in: true when a goes before b in the order
// (0 to 4; false for every other order, which keeps the scan order) of a
// location that is (pcDirectory) or is not a PC directory. For merging the
// batches of a scan into a catalog that is sorted already.
bool CatalogSortsBefore(int order, bool pcDirectory, const CatalogEntry &a, const CatalogEntry &b);

// While one lives on a thread, ScanPcDirectory there opens the directory
// (reporting a failure exactly as it would) and then, instead of scanning,
// leaves the scan here with the location's catalog empty. Take gives it to
// whoever runs it, but only when the location still shows the PC directory
// it was made for; a listing that went on into a container drops it.
class PcScanDeferral
{
public:
    PcScanDeferral();
    ~PcScanDeferral();
    PcScanDeferral(const PcScanDeferral &) = delete;
    PcScanDeferral &operator=(const PcScanDeferral &) = delete;

    // The deferred scan, or null when none is left for this location.
    std::unique_ptr<PcDirectoryScan> Take(const Location &location);

    // Used by ScanPcDirectory: the deferral alive on this thread, or null.
    static PcScanDeferral *Current();
    void Defer(std::unique_ptr<PcDirectoryScan> scan);

private:
    std::unique_ptr<PcDirectoryScan> m_scan;
    PcScanDeferral *m_outer = nullptr;
};

} // namespace kestrel
