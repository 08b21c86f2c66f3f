// Starts the program on a generated folder in a private working directory,
// waits for the first tick, and intercepts message boxes.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include "app/qt/program.h"

namespace kestrel::testing
{

struct SeenBox {
    std::string title, text;
};

class ProgramTest : public ::testing::Test
{
protected:
    std::filesystem::path root;
    std::unique_ptr<Program> program;
    std::vector<SeenBox> boxes;
    QTimer boxWatcher;

    void SetUp() override
    {
        char pattern[] = "/tmp/kestrel-gui-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        std::filesystem::create_directory(root / "work");
        std::filesystem::create_directory(root / "files");
        // Every box the program shows is read and closed, as a user would.
        boxWatcher.setInterval(20);
        QObject::connect(&boxWatcher, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                boxes.push_back({box->windowTitle().toStdString(), box->text().toStdString()});
                box->done(QMessageBox::Ok);
            }
        });
        boxWatcher.start();
    }

    void TearDown() override
    {
        if (program)
            program->Finish();
        program.reset();
        boxWatcher.stop();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    // A TIFILES DIS/VAR 80 file of one sector, named by its PC name.
    void WriteTiFile(const std::filesystem::path &path, uint8_t recordLength = 80,
                     uint8_t flags = 0x80)
    {
        std::vector<uint8_t> bytes(128 + 256, 0);
        const char magic[] = "\x07TIFILES";
        std::copy(magic, magic + 8, bytes.begin());
        bytes[9] = 1; // one sector
        bytes[10] = flags;
        bytes[11] = static_cast<uint8_t>(recordLength ? 256 / (recordLength + 1) : 0);
        bytes[12] = 10;
        bytes[13] = recordLength;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    std::string Folder() const { return (root / "files").string(); }
    std::string IniPath() const { return (root / "work" / "Kestrel.ini").string(); }

    // Starts the program with these arguments and waits for the first listing.
    int Start(const std::vector<std::string> &arguments, bool wait = true)
    {
        program = std::make_unique<Program>();
        int rc = program->Start(arguments, (root / "work").string());
        if (rc >= 0 || !wait)
            return rc;
        WaitFor([this] { return program->Window()->Ticks() >= 1; }, 5000);
        return rc;
    }

    static bool WaitFor(const std::function<bool()> &done, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > ms)
                return false;
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    MainWindow &Window() { return *program->Window(); }
    Shell &GetShell() { return Window().GetShell(); }

    void Press(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, qtKey, mods);
        QApplication::sendEvent(Window().Client(), &press);
    }

    std::string Cell(int side, int row, int column)
    {
        QStringList cells = Window().Widgets(side).list->RowCells(row);
        return column < cells.size() ? cells[column].toStdString() : std::string();
    }

    std::string ReadIni()
    {
        std::ifstream in(IniPath());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

} // namespace kestrel::testing
