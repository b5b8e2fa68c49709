#include "InstTestSupport.h"

namespace itest {

std::wstring InstHelperPath() { return vtest::ExeDirectory() + L"vtinsthelper.exe"; }

std::wstring UniqueName(const std::wstring& tag) {
    static int counter = 0;
    return L"VtTest_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
}

NamedEvent::NamedEvent(const std::wstring& name) : Name(name), Handle(CreateEventW(nullptr, TRUE, FALSE, name.c_str())) {}

bool Squat(const std::wstring& exe, const std::wstring& objects, vtest::ChildProcess& squatter) {
    NamedEvent ready(UniqueName(L"Squat"));
    squatter = vtest::ChildProcess(InstHelperPath(),
                                   L"squat \"" + exe + L"\" \"" + ready.Name + L"\" " + objects, false);
    return WaitForSingleObject(ready.Handle.get(), 20000) == WAIT_OBJECT_0;
}

std::vector<std::wstring> ReadLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    const vtx::unique_file_handle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
    if (!file) return lines;
    std::string data;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read) data.append(buffer, read);
    std::wstring line;
    for (char c : data) {  // the helpers write ASCII lines
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<wchar_t>(static_cast<unsigned char>(c));
        }
    }
    return lines;
}

bool HasLine(const std::wstring& path, const std::wstring& line) {
    for (const auto& l : ReadLines(path))
        if (l == line) return true;
    return false;
}

bool WaitForLine(const std::wstring& path, const std::wstring& line, DWORD ms) {
    return WaitUntil([&] { return HasLine(path, line); }, ms);
}

} // namespace itest
