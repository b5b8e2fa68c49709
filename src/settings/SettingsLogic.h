// Platform-free rules of the settings store: key name, value names, numbers.
#pragma once
#include <cstdint>
#include <string>
#include "base/Text.h"  // TrimBlanks, TitleKeyName

namespace vtx {

// The last name of the settings key for an application title: spaces removed,
// then blanks and control characters trimmed, then apostrophes removed.
std::wstring RegistryKeyName(const std::wstring& title);
// "\Software\Quelmar\" + the key name.
std::wstring RegistryKeyPath(const std::wstring& title);

// A text as a signed 32-bit number: optional sign, decimal or "$"/"0x" hex,
// leading blanks allowed, nothing after the digits. False when it does not convert.
bool TryParseInt32(const std::wstring& text, std::int32_t& value);

} // namespace vtx
