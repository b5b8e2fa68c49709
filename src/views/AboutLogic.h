// The about box's and information window's rules that need no window: web
// addresses, the version line, the typed panel keys and the fades.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "base/Text.h"

namespace vtx {

// The maker's addresses.
inline constexpr wchar_t kMakerSiteName[] = L"www.quelmar.example";
inline constexpr wchar_t kMakerSiteUrl[] = L"https://www.quelmar.example/";
inline constexpr wchar_t kMakerSoftwareUrl[] = L"https://www.quelmar.example/software";
inline constexpr wchar_t kMakerMailbox[] = L"support";
inline constexpr wchar_t kMakerMailDomain[] = L"quelmar.example";

// AsciiLowerCase and AsciiUpperCase come from base/Text.h.

// The title as used in web addresses: no spaces, trimmed, no apostrophes,
// lower case ("Bob's Tool Box" gives "bobstoolbox").
std::wstring UrlAppNameFromTitle(const std::wstring& title);
// 18 points for titles of up to 10 characters, else 14.
int TitleFontSize(const std::wstring& title) noexcept;
// "Version 0.6  Build 225" from the fixed record's two file-version words.
std::wstring VersionText(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS);
// "support+<app>@quelmar.example"
std::wstring ContactAddress(const std::wstring& urlAppName);
std::wstring CreditText();
std::wstring CopyrightText(int startYear, int currentYear);

// What FillInfo puts into the information window.
struct TInfoAddresses {
    std::wstring UpdateUrl;
    std::vector<std::wstring> MemoLines; // always nine
};
TInfoAddresses InfoAddresses(const std::wstring& siteUrl, const std::wstring& softwareUrl,
                             const std::wstring& appName);
std::wstring DownloadCaption(const std::wstring& applicationTitle);

// One typed character: a lower-case letter becomes upper case (key is
// changed in place), a letter is appended to collected, anything else empties
// it. Returns true when it reset, so the about panel must come back.
bool EasterEggsKeyPress(std::wstring& collected, wchar_t& key);
// Enough letters collected to look for a panel.
inline bool EasterEggsKeyComplete(const std::wstring& collected) noexcept { return collected.size() >= 3; }
// A component named e.g. "UrlPanel" answers the collected "URL".
bool PanelNameMatches(const std::wstring& componentName, const std::wstring& collected);

// Fades: steps of 3 until the end value, cut short to it once more than
// 300 ms have passed. apply gets each new alpha; clock gives milliseconds.
inline constexpr int kFadeStep = 3;
inline constexpr std::uint32_t kFadeMilliseconds = 300;
// Returns the number of values applied.
int RunFade(bool fadeIn, int startAlpha, const std::function<std::uint32_t()>& clock,
            const std::function<void(int alpha)>& apply);
// Milliseconds of a monotonic clock.
std::uint32_t FadeClockMilliseconds() noexcept;

} // namespace vtx
