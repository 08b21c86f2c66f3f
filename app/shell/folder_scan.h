// A PC-folder listing on a thread of its own. The worker fills a catalog of
// its own and hands the entries over in batches under a lock; the pane's
// thread takes them when woken and merges them into what it shows. The
// worker touches nothing else: no Ui, no pane, no location.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "tifs/catalog_entry.h"
#include "tifs/pc_directory_scan.h"

namespace kestrel
{

class FolderScan
{
public:
    // Starts the worker on an opened scan. wake is called on the worker's
    // thread whenever there is something to take, at most about every
    // kWakeInterval apart (the first rows and the end at once); it must only
    // arrange for Take to be called on the pane's thread.
    FolderScan(std::unique_ptr<PcDirectoryScan> scan, std::function<void()> wake);
    // Cancels and waits for the worker, which stops within one small step.
    ~FolderScan();
    FolderScan(const FolderScan &) = delete;
    FolderScan &operator=(const FolderScan &) = delete;

    static constexpr std::chrono::milliseconds kWakeInterval{40};

    // Moves the entries listed since the last call to the end of out, in
    // scan order. finished turns true with the last of them; error is then
    // the system error the directory search ended with (0 when none).
    void Take(Catalog &out, bool &finished, int &error);
    // Waits until the listing is finished or timeout has passed; true when
    // it is finished.
    bool WaitFinished(std::chrono::milliseconds timeout);
    // Entries listed so far, taken or not.
    size_t Listed() const { return m_listed.load(std::memory_order_relaxed); }
    // Files the folder has to look at in all (0 until its names are read).
    size_t Total() const { return m_total.load(std::memory_order_relaxed); }

private:
    void Run();

    std::unique_ptr<PcDirectoryScan> m_scan;
    std::function<void()> m_wake;
    std::atomic<bool> m_cancel{false};
    std::atomic<size_t> m_listed{0};
    std::atomic<size_t> m_total{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Catalog m_pending;   // guarded by m_mutex
    bool m_finished = false; // guarded by m_mutex
    int m_error = 0;         // guarded by m_mutex
    std::thread m_worker;
};

} // namespace kestrel
