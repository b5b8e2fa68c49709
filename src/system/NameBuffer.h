// Internal to system/: a name read through a call that fills a buffer.
#pragma once
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>

namespace vtx {

// The longest path the system has: 32,767 characters and the zero.
constexpr DWORD LongestPathBuffer = 32768;

// A module or process name read into a buffer of Initial characters, read
// again into a larger one while the name may have been cut, up to the longest
// path. Read answers the characters written, 0 on failure. Two answers say
// the buffer was too small: 0 with ERROR_INSUFFICIENT_BUFFER
// (QueryFullProcessImageNameW), and a count that fills the buffer
// (GetModuleFileNameExW cuts the name to the buffer, with the zero on older
// systems, without it on Vista and later and under Wine).
template <class Read>
std::wstring ReadName(DWORD initial, Read read) {
    std::vector<wchar_t> buffer(std::clamp<DWORD>(initial, 1, LongestPathBuffer));
    for (;;) {
        const bool longest = buffer.size() >= LongestPathBuffer;
        ::SetLastError(ERROR_SUCCESS);
        const DWORD count = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (count == 0) {
            if (longest || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        } else if (count + 1 < buffer.size() || longest) {
            const size_t length = std::find(buffer.begin(), buffer.begin() + std::min<size_t>(count, buffer.size()),
                                            L'\0') - buffer.begin();
            return std::wstring(buffer.data(), length);
        }
        buffer.assign(std::min<size_t>(buffer.size() * 2, LongestPathBuffer), L'\0');
    }
}

// Process and module handles need both rights to read names (0x410).
constexpr DWORD QueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

} // namespace vtx
