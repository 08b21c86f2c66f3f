// The window on folders of 10,000 and 100,000 TI files, driven offscreen as
// a user drives it: open the folder in the left pane, scroll page by page
// to its end, mark 1,000 rows with Insert, sort by every column. A 5 ms
// heartbeat timer on the GUI thread records the longest gap between its
// beats in each phase: the longest time the window could not answer.
//  - first rows: from the start of the step that opens the folder to the
//    first listed rows, against the 200 ms aimed for;
//  - complete: until the last batch is merged, against listing and sorting
//    the same folder on the spot (what the pane did before);
//  - stalls: the longest gap of each phase, against the 50 ms aimed for.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>

#include "app/qt/program.h"
#include "app/shell/key_codes.h"
#include "bench/bench_result.h"
#include "bench/ti_folder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/ti_header.h"

namespace
{

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using kestrel::bench::SecondsSince;

// Small TIFILES files, fixed and variable records, sizes of 1 to 4 sectors,
// with TI names that do not follow the PC names' order (so that each sort
// really moves the rows).
bool MakeFolder(const std::string &dir, int count)
{
    return kestrel::bench::WriteFolder(dir, count, [count](int i) {
        kestrel::bench::FolderFile file;
        char name[32], tiName[32];
        std::snprintf(name, sizeof name, "FILE%06d", i);
        std::snprintf(tiName, sizeof tiName, "T%06d", (i * 7919) % count);
        file.pcName = name;
        kestrel::TiFileDescriptor &d = file.descriptor;
        d.tiName = kestrel::PadTiName(tiName);
        const int sectors = 1 + (i * 13) % 4;
        const bool variable = i % 2 == 0;
        d.flags = static_cast<uint8_t>((variable ? kestrel::kFlagVariable : 0) |
                                       (i % 5 == 0 ? kestrel::kFlagProtected : 0));
        d.recordLength = 80;
        d.recordsPerSector = 3;
        d.sectors = static_cast<uint16_t>(sectors);
        d.level3Count = static_cast<uint16_t>(variable ? sectors : sectors * 3);
        d.eofOffset = variable ? 100 : 0;
        return file;
    });
}

// The longest gap between two beats of a 5 ms timer since Reset.
class Heartbeat
{
public:
    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Beat(); });
        m_timer.start();
        m_clock.start();
    }
    void Reset()
    {
        QApplication::processEvents();
        m_last = m_clock.nsecsElapsed();
        m_longest = 0;
    }
    // Counts the gap up to now too, so that a phase that ends in a stall
    // is not missed.
    double LongestSeconds()
    {
        Beat();
        return static_cast<double>(m_longest) / 1e9;
    }

private:
    void Beat()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

bool WaitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void Press(kestrel::MainWindow &window, int qtKey)
{
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QApplication::sendEvent(window.Client(), &press);
    // The repaint the key asked for happens here, as it would in the loop.
    QApplication::processEvents();
}

// Listing and sorting on the spot, as the pane did it before.
double ListOnTheSpot(const std::string &dir, int sortOrder)
{
    kestrel::testing::RecordingUi ui;
    kestrel::Location location;
    location.path = dir;
    location.sortOrder = sortOrder;
    const auto start = Clock::now();
    kestrel::OpenLocation(location, ui);
    kestrel::SortCatalog(location);
    return SecondsSince(start);
}

struct Figures {
    std::vector<double> firstRows, complete, onTheSpot, listingStall;
    double scrollStall = 0, insertStall = 0;
    double sortStall[kestrel::kColumnCount - 1] = {};
    double fitStall = 0; // the longest of fitting each column's width to its cells
    bool ok = true;
};

constexpr double kFirstRowsGoal = 0.200;
constexpr double kStallGoal = 0.050;

void Run(kestrel::MainWindow &window, const std::string &dir, int count, Figures &out)
{
    kestrel::Shell &shell = window.GetShell();
    kestrel::Pane &pane = shell.GetPane(kestrel::kLeftPane);
    Heartbeat heart;
    constexpr int kRuns = 3;
    for (int run = 0; run < kRuns; ++run) {
        out.onTheSpot.push_back(ListOnTheSpot(dir, pane.location.sortOrder));
        // Out of a folder and into this one, from a timer as a key would.
        pane.location.startPath = fs::path(dir).parent_path().string();
        shell.GotoRoot(kestrel::kLeftPane);
        heart.Reset();
        pane.location.startPath = dir;
        const auto start = Clock::now();
        double first = -1;
        bool stepped = false;
        QTimer::singleShot(0, &window, [&] {
            shell.GotoRoot(kestrel::kLeftPane);
            stepped = true;
            if (pane.Count() > 0) {
                first = SecondsSince(start);
            }
        });
        const bool listed = WaitFor(
            [&] {
                if (stepped && first < 0 && pane.Count() > 0) {
                    first = SecondsSince(start);
                }
                return stepped && first >= 0 && !shell.Scanning(kestrel::kLeftPane);
            },
            120000);
        out.complete.push_back(SecondsSince(start));
        out.firstRows.push_back(first);
        out.listingStall.push_back(heart.LongestSeconds());
        if (!listed || pane.Count() != count) {
            std::fprintf(stderr, "pane_stall_bench: listed %d of %d files\n", pane.Count(), count);
            out.ok = false;
            return;
        }
    }

    shell.SetActiveSide(kestrel::kLeftPane);
    Press(window, Qt::Key_Home);
    heart.Reset();
    while (pane.cursor + 1 < pane.Count()) {
        const int before = pane.cursor;
        Press(window, Qt::Key_PageDown);
        if (pane.cursor == before) {
            break;
        }
    }
    out.scrollStall = heart.LongestSeconds();

    Press(window, Qt::Key_Home);
    heart.Reset();
    for (int i = 0; i < 1000; ++i) {
        Press(window, Qt::Key_Insert);
    }
    out.insertStall = heart.LongestSeconds();

    // Every column the header sorts by, and back to the first.
    for (int order = kestrel::kColumnCount - 2; order >= 0; --order) {
        heart.Reset();
        shell.SortAndShow(kestrel::kLeftPane, order);
        QApplication::processEvents();
        out.sortStall[order] = heart.LongestSeconds();
    }

    // A double click on each header divider: the column takes the width of its widest cell.
    for (int column = 0; column < kestrel::kColumnCount; ++column) {
        heart.Reset();
        window.FitColumn(kestrel::kLeftPane, column);
        QApplication::processEvents();
        out.fitStall = std::max(out.fitStall, heart.LongestSeconds());
    }
}

void Print(const std::string &size, const Figures &f)
{
    using kestrel::bench::PrintResult;
    const auto goal = [](double seconds, size_t runs) { return std::vector<double>(runs, seconds); };
    PrintResult("pane first rows " + size, f.firstRows, "goal 200 ms",
                goal(kFirstRowsGoal, f.firstRows.size()), 1.0);
    PrintResult("pane complete listing " + size, f.complete, "listing on the spot " + size,
                f.onTheSpot, 0);
    PrintResult("pane stall listing " + size, f.listingStall, "goal 50 ms",
                goal(kStallGoal, f.listingStall.size()), 1.0);
    PrintResult("pane stall scroll pages " + size, {f.scrollStall}, "goal 50 ms", {kStallGoal},
                1.0);
    PrintResult("pane stall Insert x1000 " + size, {f.insertStall}, "goal 50 ms", {kStallGoal},
                1.0);
    static const char *const kOrders[] = {"pc name", "ti name", "size", "type", "attr"};
    for (int order = 0; order < kestrel::kColumnCount - 1; ++order) {
        PrintResult(std::string("pane stall sort ") + kOrders[order] + " " + size,
                    {f.sortStall[order]}, "goal 50 ms", {kStallGoal}, 1.0);
    }
    PrintResult("pane stall fit column width " + size, {f.fitStall}, "goal 50 ms", {kStallGoal},
                1.0);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const char *base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base ? base : "/tmp") + "/kestrel-pane-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path root = pattern;
    fs::create_directories(root / "work");
    fs::create_directories(root / "empty");
    int status = 0;
    {
        kestrel::Program program;
        const std::string empty = (root / "empty").string();
        if (program.Start({empty, empty}, (root / "work").string()) >= 0) {
            std::fprintf(stderr, "pane_stall_bench: the program did not start\n");
            status = 1;
        } else {
            kestrel::MainWindow &window = *program.Window();
            WaitFor([&] { return window.Ticks() >= 1; }, 10000);
            for (int count : {10000, 100000}) {
                const std::string size = count == 10000 ? "10k" : "100k";
                const fs::path dir = root / "folders" / ("f" + std::to_string(count));
                fs::create_directories(dir);
                if (!MakeFolder(dir.string(), count)) {
                    std::fprintf(stderr, "pane_stall_bench: cannot write the files\n");
                    status = 1;
                    break;
                }
                Figures figures;
                Run(window, dir.string(), count, figures);
                if (!figures.ok) {
                    status = 1;
                    break;
                }
                Print(size, figures);
                // Out of the folder before it goes.
                kestrel::Pane &pane = window.GetShell().GetPane(kestrel::kLeftPane);
                pane.location.startPath = empty;
                window.GetShell().GotoRoot(kestrel::kLeftPane);
                std::error_code ec;
                fs::remove_all(dir, ec);
            }
        }
        program.Finish();
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return status;
}
