// The clipboard, for putting text on it.
#pragma once
#include <windows.h>
#include <string>

namespace vtx {

// Puts Text on the clipboard as CF_UNICODETEXT, owned by Owner. Another
// program may hold the clipboard for a moment, so opening it is tried again
// for about RetryMs. False when it could not be opened or written.
bool SetClipboardText(HWND owner, const std::wstring& text, DWORD retryMs = 100);

} // namespace vtx
