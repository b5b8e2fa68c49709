// Text rules of the file information items, kept free of the platform.
#pragma once
#include <string>

namespace vtx {

// Without leading and trailing characters up to U+0020 (spaces, controls).
std::wstring TrimControl(const std::wstring& text);

// The extension from the last "." that no "\" or ":" follows, dot included;
// empty when there is none.
std::wstring FileExtensionOf(const std::wstring& fileName);

} // namespace vtx
