// A running main controller for the tests, under a settings key of its own,
// with message boxes answered through the toolkit's seam.
#pragma once
#include <optional>
#include "toolkit/ScopedOverride.h"
#include <gtest/gtest.h>
#include <deque>
#include <memory>
#include <string>
#include <vector>
#include "app/ControllerMain.h"
#include "toolkit/Dialogs.h"

namespace vtest {

// The settings key of a title, removed again by the fixture.
std::wstring TestKeyPath(const std::wstring& title);
void DeleteTestKey(const std::wstring& title);
// Reads a text value under the test key; empty optional when absent.
bool ReadTestValue(const std::wstring& title, const std::wstring& section, const std::wstring& name,
                   std::wstring& value, DWORD* type = nullptr);
void WriteTestValue(const std::wstring& title, const std::wstring& section, const std::wstring& name,
                    const std::wstring& value);
// Handles the messages that are waiting (for about ms), without ending on WM_QUIT.
void Pump(DWORD ms = 50);

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Creates the controller: the main window, settings, first tick and refresh.
    vtx::TCMain& Start();
    void Stop();
    vtx::TfrmMain& Form() { return *Main->frmMain; }
    // The row of the process list whose ID text is that of the process.
    int RowOfProcess(DWORD pid);

    std::wstring Title;
    std::unique_ptr<vtx::TCMain> Main;
    std::vector<vtx::TMessageBoxRequest> Boxes;
    std::deque<int> Answers;  // answers in order; mrOk/mrYes when empty

private:
    std::optional<vtx::TScopedOverride<vtx::TMessageBoxSeam>> FBoxSeam;
};

} // namespace vtest
