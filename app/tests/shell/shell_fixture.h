// A shell with two panes over the fake location tree, listed as at the
// first timer tick, with a chosen number of rows per page.
#pragma once

#include <gtest/gtest.h>

#include "app/shell/key_codes.h"
#include "app/shell/shell.h"
#include "app/tests/shell/fake_locations.h"
#include "tests/support/recording_ui.h"

namespace kestrel::testing
{

class ShellTest : public ::testing::Test
{
protected:
    FakeLocations locations;
    RecordingHost host;
    RecordingUi ui;
    Shell shell{host, locations, ui};

    void Start(const std::string &left, const std::string &right, int rows, int sortOrder = 1)
    {
        const int widths[kColumnCount] = {100, 100, 100, 100, 100, 100};
        shell.SetStartLocations(left, right, sortOrder, widths);
        shell.GetPane(0).rowsPerPage = rows;
        shell.GetPane(1).rowsPerPage = rows;
        shell.SetLineHeight(10);
        shell.ListBothPanes();
    }
    Pane &Left() { return shell.GetPane(0); }
    Pane &Right() { return shell.GetPane(1); }
    std::vector<int> Marked(const Pane &p)
    {
        std::vector<int> out;
        for (int i = 0; i < p.Count(); ++i)
            if (p.Entry(i)->marked)
                out.push_back(i);
        return out;
    }
};

} // namespace kestrel::testing
