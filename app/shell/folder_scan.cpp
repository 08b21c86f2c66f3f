#include "app/shell/folder_scan.h"

#include <cerrno>
#include <iterator>

namespace kestrel
{

namespace
{

// Files listed between two looks at the cancel flag: a few milliseconds, so
// that leaving a folder never waits long for the worker.
constexpr size_t kStepFiles = 128;

} // namespace

FolderScan::FolderScan(std::unique_ptr<PcDirectoryScan> scan, std::function<void()> wake)
    : m_scan(std::move(scan)), m_wake(std::move(wake))
{
    m_worker = std::thread([this] { Run(); });
}

FolderScan::~FolderScan()
{
    m_cancel.store(true);
    if (m_worker.joinable())
        m_worker.join();
}

void FolderScan::Run()
{
    using Clock = std::chrono::steady_clock;
    int error = m_scan->ReadNames(&m_cancel);
    m_total.store(error == 0 ? m_scan->MatchCount() : 0, std::memory_order_relaxed);
    bool woken = false;
    Clock::time_point lastWake = Clock::now();
    bool more = error == 0;
    while (more && !m_cancel.load(std::memory_order_relaxed)) {
        Catalog step;
        step.reserve(kStepFiles);
        more = m_scan->Next(step, kStepFiles);
        if (step.empty() && more)
            continue;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_pending.insert(m_pending.end(), std::make_move_iterator(step.begin()),
                             std::make_move_iterator(step.end()));
        }
        m_listed.fetch_add(step.size(), std::memory_order_relaxed);
        // The first rows go at once; after that a batch at a time, so that
        // the pane merges a few large batches rather than many small ones.
        const Clock::time_point now = Clock::now();
        if (more && (!woken || now - lastWake >= kWakeInterval)) {
            woken = true;
            lastWake = now;
            if (m_wake)
                m_wake();
        }
    }
    if (m_cancel.load())
        error = ECANCELED;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished = true;
        m_error = error;
    }
    m_changed.notify_all();
    if (m_wake && error != ECANCELED)
        m_wake();
}

void FolderScan::Take(Catalog &out, bool &finished, int &error)
{
    Catalog taken;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        taken.swap(m_pending);
        finished = m_finished;
        error = m_error;
    }
    out.insert(out.end(), std::make_move_iterator(taken.begin()),
               std::make_move_iterator(taken.end()));
}

bool FolderScan::WaitFinished(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_finished; });
}

} // namespace kestrel
