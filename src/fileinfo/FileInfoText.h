// Text rules of the file information items, kept free of the platform.
#pragma once
#include <string>
#include "toolkit/Text.h"  // TrimBlanks trims the item texts

namespace vtx {

// The extension from the last "." that no "\" or ":" follows, dot included;
// empty when there is none.
std::wstring FileExtensionOf(const std::wstring& fileName);

} // namespace vtx
