// JPEG pictures through libjpeg, decoded into 32-bit pixels for TImage.
// Debian builds libjpeg-turbo from its source package (scripts/vantrel.sh);
// on Windows take vcpkg's port: `vcpkg install libjpeg-turbo:x64-windows-static`
// and configure with vcpkg's toolchain file, so find_package(JPEG) finds it.
#pragma once
#include <windows.h>
#include <cstddef>
#include "toolkit/Image.h"

namespace vtx {

// An empty image when the bytes are not a complete, sound JPEG picture; no
// error of the decoder goes further.
TPixelImage DecodeJpeg(const void* data, std::size_t length) noexcept;
// The RCDATA resource id of module (nullptr: the program itself), decoded.
TPixelImage LoadJpegResource(HMODULE module, int id) noexcept;

} // namespace vtx
