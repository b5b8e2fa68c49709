// Text rules of the file information items, kept free of the platform.
#pragma once
#include <string>
#include "base/Text.h"  // TrimBlanks trims the item texts

namespace vtx {

// The extension from the last "." that no "\" or ":" follows, dot included;
// empty when there is none.
std::wstring FileExtensionOf(const std::wstring& fileName);

// Without the system's long-path setting, Windows opens a path of MAX_PATH
// (260) characters or more only in its extended-length form: "\\?\C:\..."
// for a drive path, "\\?\UNC\server\share\..." for a share. That form is
// taken as it stands ("/", "." and ".." are not resolved), so only paths
// without them get it; every other name comes back unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);
// The inverse: "\\?\C:\x" gives "C:\x", "\\?\UNC\server\x" gives
// "\\server\x"; other names unchanged.
std::wstring WithoutExtendedPrefix(const std::wstring& path);

} // namespace vtx
