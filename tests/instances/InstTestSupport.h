// Pieces shared by the single-instance tests: the helper executable, unique
// names, named events and the helpers' log files.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "helpers/TestSupport.h"
#include "base/Handle.h"

namespace itest {

std::wstring InstHelperPath();
// A name no other test run uses: tag + this process's ID + a counter.
std::wstring UniqueName(const std::wstring& tag);

// A manual-reset named event owned by the test.
struct NamedEvent {
    explicit NamedEvent(const std::wstring& name);
    std::wstring Name;
    vtx::unique_handle Handle;
};

// Starts the helper that holds the lock objects or the All table of the
// executable at Exe with an access list of its own (see vtinsthelper squat);
// false when it did not get them ready.
bool Squat(const std::wstring& exe, const std::wstring& objects, vtest::ChildProcess& squatter);

std::vector<std::wstring> ReadLines(const std::wstring& path);
bool HasLine(const std::wstring& path, const std::wstring& line);
// Polls the log until Line appears; false on time-out.
bool WaitForLine(const std::wstring& path, const std::wstring& line, DWORD ms);
using vtest::WaitUntil;

} // namespace itest
