// A running main controller for the tests, under a settings key of its own,
// with message boxes answered through the toolkit's seam.
#pragma once
#include <optional>
#include "base/ScopedOverride.h"
#include <gtest/gtest.h>
#include <deque>
#include <memory>
#include <string>
#include <vector>
#include "app/ControllerMain.h"
#include "toolkit/Dialogs.h"
#include "helpers/TestSupport.h"

namespace vtest {

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Creates the controller: the main window, settings, first tick and refresh.
    vtx::TCMain& Start();
    void Stop();
    vtx::TfrmMain& Form() { return *Main->frmMain; }
    // The row of the process list that stands for the process; -1 for none.
    int RowOfProcess(DWORD pid);
    // A cell's text by column name, from the model (the path in full); and
    // as the list shows it (the path shortened to its column).
    std::wstring Cell(int row, vtx::TProcessColumn column) { return Main->Processes.Text(row, column); }
    std::wstring Shown(int row, vtx::TProcessColumn column) {
        return Main->Processes.ShownText(row, vtx::ColumnIndex(column));
    }
    std::wstring ModuleCell(int row, vtx::TProcessColumn column) { return Main->Modules.Text(row, column); }

    std::wstring Title;
    std::unique_ptr<vtx::TCMain> Main;
    std::vector<vtx::TMessageBoxRequest> Boxes;
    std::deque<int> Answers;  // answers in order; mrOk/mrYes when empty

private:
    std::optional<vtx::TScopedOverride<vtx::TMessageBoxSeam>> FBoxSeam;
};

} // namespace vtest
