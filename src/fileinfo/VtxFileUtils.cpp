#include "fileinfo/VtxFileUtils.h"
#include <cstring>
#include <memory>
#include "fileinfo/FileInfoText.h"
#include "base/OSError.h"

namespace vtx {

namespace {

// The digit class of the user's locale, asked for all code units at once on
// first need. ASCII never needs it: there only '0'..'9' are digits.
bool LocaleDigit(std::uint16_t unit) {
    if (unit < 0x80) return unit >= '0' && unit <= '9';
    static const std::unique_ptr<WORD[]> types = [] {
        auto units = std::make_unique<wchar_t[]>(65536);
        for (int i = 0; i < 65536; ++i) units[i] = static_cast<wchar_t>(i);
        auto classes = std::make_unique<WORD[]>(65536);
        if (!::GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, units.get(), 65536, classes.get()))
            std::memset(classes.get(), 0, 65536 * sizeof(WORD));
        return classes;
    }();
    return (types[unit] & C1_DIGIT) != 0;
}

std::wstring AnsiText(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return {};
    const auto* source = reinterpret_cast<const char*>(bytes);
    const int n = ::MultiByteToWideChar(CP_ACP, 0, source, static_cast<int>(count), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, source, static_cast<int>(count), text.data(), n);
    return text;
}

bool FileExists(const std::wstring& fileName) {
    const DWORD attributes = ::GetFileAttributesW(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

const TVersionResourceFacts& SystemVersionResourceFacts() {
    static const TVersionResourceFacts facts{LocaleDigit, AnsiText};
    return facts;
}

bool FileVersionInfoReadable(const std::wstring& fileName) {
    try {
        const std::wstring readable = ExtendedLengthPath(fileName);
        DWORD handle = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(readable.c_str(), &handle);
        if (size == 0) return false;
        std::vector<std::uint8_t> buffer(size);
        return ::GetFileVersionInfoW(readable.c_str(), handle, size, buffer.data()) != 0;
    } catch (...) {
        return false;
    }
}

TVtxFileVersionInfo::TVtxFileVersionInfo(const std::wstring& fileName) {
    // A path too long for the plain form is read in the extended one, which
    // needs no long-path setting of the system.
    const std::wstring readable = ExtendedLengthPath(fileName);
    if (fileName.empty() || !FileExists(readable))
        throw EVtxFileVersionInfoError(L"The file " + fileName + L" does not exist");
    // The root block's length is a 16-bit word, so a buffer of 64 KiB holds
    // any resource: one read, where asking for the size first would load the
    // file twice (about 3 ms each under Wine). DWORD elements keep the copy on
    // a 4-byte boundary.
    constexpr DWORD anySize = 65536;
    std::vector<DWORD> buffer(anySize / sizeof(DWORD));
    if (::GetFileVersionInfoW(readable.c_str(), 0, anySize, buffer.data())) {
        Load(reinterpret_cast<const std::uint8_t*>(buffer.data()), anySize);
        return;
    }
    // The sized read tells a file without a resource from one that cannot be read.
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(readable.c_str(), &handle);
    if (size == 0) throw EVtxFileVersionInfoError(SNoVersionInfo);
    buffer.assign((size + 3) / 4, 0);
    ThrowIfWin32BoolFalse(::GetFileVersionInfoW(readable.c_str(), handle, size, buffer.data()));
    Load(reinterpret_cast<const std::uint8_t*>(buffer.data()), size);
}

TVtxFileVersionInfo::TVtxFileVersionInfo(const void* data, std::size_t length) {
    Load(static_cast<const std::uint8_t*>(data), length);
}

void TVtxFileVersionInfo::Load(const std::uint8_t* data, std::size_t length) {
    FResource = ParseVersionResource(data, length, SystemVersionResourceFacts());
    // Table 0 is the selected one for the reader's whole life.
    TUpdateBracket bracket(FItems);
    if (FLanguageIndex < static_cast<int>(FResource.Languages.size())) {
        const std::uintptr_t pair = FResource.Languages[static_cast<std::size_t>(FLanguageIndex)].Pair();
        for (const auto& item : FResource.ItemList)
            if (item.Table == FLanguageIndex) FItems.Add(item.Text, pair);
    }
}

VS_FIXEDFILEINFO TVtxFileVersionInfo::FixedInfo() const noexcept {
    static_assert(sizeof(VS_FIXEDFILEINFO) == sizeof(TFixedFileInfo));
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, &FResource.FixedInfo, sizeof info);
    return info;
}

std::wstring TVtxFileVersionInfo::Value(const wchar_t* keyName) const noexcept {
    try {
        const int nameLength = static_cast<int>(std::wcslen(keyName));
        for (const auto& entry : FItems) {
            const std::size_t eq = entry.Text.find(L'=');
            const std::size_t keyLength = eq == std::wstring::npos ? entry.Text.size() : eq;
            if (::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.Text.c_str(), static_cast<int>(keyLength),
                                 keyName, nameLength) == CSTR_EQUAL)
                return eq == std::wstring::npos ? std::wstring() : entry.Text.substr(eq + 1);
        }
    } catch (...) {
    }
    return {};
}

} // namespace vtx
