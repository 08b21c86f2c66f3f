// A location tree in memory for the shell tests: each path lists the entries
// given for it; subdirectories and images lead to path + "/" + name, ".."
// leads back to the parent path.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/shell/location_service.h"
#include "app/shell/shell_host.h"
#include "tests/support/recording_ui.h"
#include "tifs/messages.h"

namespace kestrel::testing
{

struct FakeEntry {
    std::string name;
    uint16_t kind = kKindDisVar;
    uint16_t recordLength = 80;
};

class FakeLocations : public LocationService
{
public:
    std::map<std::string, std::vector<FakeEntry>> tree;
    int opens = 0;
    std::function<void()> whileListing; // runs in the middle of every listing

    // A folder of count DIS/VAR 80 files named F000, F001, ...
    void AddFiles(const std::string &path, int count, bool withUp = false)
    {
        auto &list = tree[path];
        if (withUp)
            list.push_back({"..", kKindUpDir, 0});
        for (int i = 0; i < count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "F%03d", i);
            list.push_back({name, kKindDisVar, 80});
        }
    }

    bool List(Location &location, Ui &ui)
    {
        ++opens;
        location.entries.clear();
        if (whileListing)
            whileListing();
        auto it = tree.find(location.path);
        if (it == tree.end()) {
            ReportSystemError(ui, 2, 0, {location.path});
            return false;
        }
        for (const FakeEntry &f : it->second) {
            CatalogEntry *e = AddEntry(location.entries);
            e->pcName = f.name;
            e->ti.tiName = f.name;
            e->ti.kind = f.kind;
            e->ti.recordLength = f.recordLength;
            e->ti.sectors = 1;
        }
        return true;
    }

    bool OpenLocation(Location &location, Ui &ui) override { return List(location, ui); }
    bool OpenEntry(Location &location, const CatalogEntry &entry, Ui &ui) override
    {
        std::string before = location.path;
        if (entry.ti.kind == kKindUpDir) {
            location.path = location.path.substr(0, location.path.rfind('/'));
            --location.containerDepth;
        } else {
            location.path += "/" + entry.pcName;
            ++location.containerDepth;
        }
        if (!List(location, ui)) {
            // Like the real listers: a failed step leaves the location as it was.
            location.path = before;
            RecordingUi quiet;
            List(location, quiet);
            return false;
        }
        return true;
    }
    bool Reread(Location &location, Ui &ui) override { return List(location, ui); }
    void Sort(Location &location) override
    {
        if (location.sortOrder < 0 || location.sortOrder > 4)
            return;
        std::stable_sort(location.entries.begin(), location.entries.end(),
                         [](const auto &a, const auto &b) {
                             bool au = a->ti.kind == kKindUpDir, bu = b->ti.kind == kKindUpDir;
                             if (au != bu)
                                 return au;
                             return a->ti.tiName < b->ti.tiName;
                         });
    }
    int IsGifFile(const Location &, const CatalogEntry &, Ui &) override { return 0; }
    std::array<std::string, kColumnCount> Cells(const Location &, const CatalogEntry &e) override
    {
        return {e.pcName, e.ti.tiName, "", "", "", ""};
    }
    std::string StatusLine(const Location &) override { return "status"; }
    std::string PathLine(const Location &l) override { return " " + l.path; }
};

struct ViewCall {
    int side;
    std::string name;
    WindowMode mode;
};

class RecordingHost : public ShellHost
{
public:
    int repaints = 0, fullRepaints = 0, beeps = 0, waits = 0, columnUpdates = 0;
    std::vector<ViewCall> views;
    std::vector<PaneOperation> operations;
    std::vector<std::string> recent;
    std::vector<std::string> browseAnswers; // empty: cancelled
    std::string browseStart;

    void RepaintPane(int) override { ++repaints; }
    void RepaintAll() override { ++fullRepaints; }
    void ColumnsChanged(int) override { ++columnUpdates; }
    void BeginWait() override { ++waits; }
    void Beep() override { ++beeps; }
    bool BrowseForLocation(const std::string &start, std::string &chosen) override
    {
        browseStart = start;
        if (browseAnswers.empty())
            return false;
        chosen = browseAnswers.front();
        browseAnswers.erase(browseAnswers.begin());
        return true;
    }
    void OpenView(int side, const CatalogEntry &entry, WindowMode mode) override
    {
        views.push_back({side, entry.pcName, mode});
    }
    void RunOperation(int, PaneOperation op) override { operations.push_back(op); }
    void AddRecentLocation(const std::string &path) override
    {
        recent.insert(recent.begin(), path);
    }
    std::string ReadRecentLocation(int n) override
    {
        return n >= 1 && n <= static_cast<int>(recent.size()) ? recent[n - 1] : std::string();
    }
};

} // namespace kestrel::testing
