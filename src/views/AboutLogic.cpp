#include "views/AboutLogic.h"
#include <algorithm>
#include <chrono>

namespace vtx {

std::wstring UrlAppNameFromTitle(const std::wstring& title) { return AsciiLowerCase(TitleKeyName(title)); }

int TitleFontSize(const std::wstring& title) noexcept { return title.size() <= 10 ? 18 : 14; }

std::wstring VersionText(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS) {
    return L"Version " + std::to_wstring(fileVersionMS >> 16) + L"." + std::to_wstring(fileVersionMS & 0xFFFF) +
           L"  Build " + std::to_wstring(fileVersionLS & 0xFFFF);
}

std::wstring ContactAddress(const std::wstring& urlAppName) {
    return std::wstring(kMakerMailbox) + L"+" + urlAppName + L"@" + kMakerMailDomain;
}

std::wstring CreditText() { return L"Freeware by Quelmar"; }

std::wstring CopyrightText(int startYear, int currentYear) {
    return L"Copyright \u00A9 " + std::to_wstring(startYear) + L"-" + std::to_wstring(currentYear) +
           L". This software is provided as is, without warranty of any kind; you use it at your own risk.";
}

TInfoAddresses InfoAddresses(const std::wstring& siteUrl, const std::wstring& softwareUrl,
                             const std::wstring& appName) {
    std::wstring name = AsciiLowerCase(appName);
    std::wstring page = name, screenshot = name, download = name;
    if (name == L"tarvenmoss") {
        page = L"tvr";
    } else if (name == L"quelmarslinks") {
        page = screenshot = download = L"links";
    }
    TInfoAddresses result;
    result.UpdateUrl = softwareUrl + L"/download/" + download + L".zip";
    result.MemoLines = {L"",
                        L"Information:",
                        softwareUrl + L"/" + page + L".htm",
                        L"",
                        L"Screenshot:",
                        siteUrl + L"images/software_" + screenshot + L".jpg",
                        L"",
                        L"Download:",
                        result.UpdateUrl};
    return result;
}

std::wstring DownloadCaption(const std::wstring& applicationTitle) {
    return L"Click here to download the latest version of " + applicationTitle + L".";
}

bool EasterEggsKeyPress(std::wstring& collected, wchar_t& key) {
    key = AsciiUpper(key);
    if (key >= L'A' && key <= L'Z') {
        collected += key;
        return false;
    }
    collected.clear();
    return true;
}

bool PanelNameMatches(const std::wstring& componentName, const std::wstring& collected) {
    return AsciiUpperCase(componentName) == collected + L"PANEL";
}

int RunFade(bool fadeIn, int startAlpha, const std::function<std::uint32_t()>& clock,
            const std::function<void(int alpha)>& apply) {
    const int target = fadeIn ? 255 : 0;
    std::uint32_t started = clock();
    int alpha = startAlpha;
    int applied = 0;
    while (fadeIn ? alpha < target : alpha > target) {
        alpha = fadeIn ? std::min(alpha + kFadeStep, target) : std::max(alpha - kFadeStep, target);
        apply(alpha);
        ++applied;
        // Unsigned difference: right across a wrap of the clock too.
        if (clock() - started > kFadeMilliseconds && alpha != target) {
            alpha = target;
            apply(alpha);
            ++applied;
        }
    }
    return applied;
}

std::uint32_t FadeClockMilliseconds() noexcept {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace vtx
