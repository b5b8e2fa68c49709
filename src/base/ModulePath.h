// The file name of a loaded module, read whole however long it is.
#pragma once
#include <windows.h>
#include <string>

namespace vtx {

// Full path of Module; the program's own executable for none.
std::wstring ModuleFileName(HMODULE module = nullptr);

} // namespace vtx
