// Internal to system/: a name read through a call that fills a buffer.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace vtx {

// A module or process name read into a buffer of Initial characters; a full
// buffer means the name may have been cut, so it is read again into a larger one.
template <class Read>
std::wstring ReadName(DWORD initial, Read read) {
    std::vector<wchar_t> buffer(initial);
    for (;;) {
        DWORD count = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (count == 0) return {};
        if (count + 1 < buffer.size() || buffer.size() >= 32768) {
            size_t length = 0;
            while (length < buffer.size() && buffer[length] != L'\0') ++length;
            return std::wstring(buffer.data(), length);
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

// Process and module handles need both rights to read names (0x410).
constexpr DWORD QueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

} // namespace vtx
