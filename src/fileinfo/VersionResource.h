// The walk over the raw bytes of a version resource. Platform-free: the two
// facts of the running system it needs are handed in, so the same walk runs
// (and is fuzzed) natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "base/Errors.h"

namespace vtx {

class EVtxFileVersionInfoError : public EVtxError {
public:
    using EVtxError::EVtxError;
};

inline constexpr const wchar_t* SNoVersionInfo = L"File contains no version information";
inline constexpr std::uint32_t VersionSignature = 0xFEEF04BD;

// Language ID and code page of one string table; Pair is both as one word.
struct TLangIdRec {
    std::uint16_t LangId = 0;
    std::uint16_t CodePage = 0;
    std::uint32_t Pair() const noexcept { return LangId | (static_cast<std::uint32_t>(CodePage) << 16); }
};

// The fixed version record, word for word as the resource holds it.
struct TFixedFileInfo {
    std::uint32_t dwSignature = 0;
    std::uint32_t dwStrucVersion = 0;
    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
    std::uint32_t dwProductVersionMS = 0;
    std::uint32_t dwProductVersionLS = 0;
    std::uint32_t dwFileFlagsMask = 0;
    std::uint32_t dwFileFlags = 0;
    std::uint32_t dwFileOS = 0;
    std::uint32_t dwFileType = 0;
    std::uint32_t dwFileSubtype = 0;
    std::uint32_t dwFileDateMS = 0;
    std::uint32_t dwFileDateLS = 0;
};
static_assert(sizeof(TFixedFileInfo) == 52);

enum class TFileFlag : std::uint8_t { ffDebug, ffInfoInferred, ffPatched, ffPreRelease, ffPrivateBuild, ffSpecialBuild };

// A set of TFileFlag, one bit per member.
struct TFileFlags {
    std::uint8_t Bits = 0;
    bool Has(TFileFlag flag) const noexcept { return (Bits >> static_cast<int>(flag)) & 1; }
    void Include(TFileFlag flag) noexcept { Bits |= static_cast<std::uint8_t>(1u << static_cast<int>(flag)); }
};

// What the walk needs from the running system.
struct TVersionResourceFacts {
    // The locale's digit class (character type 1, bit 0x4) of a UTF-16 code unit.
    bool (*IsDigit)(std::uint16_t unit) = nullptr;
    // The 16-bit form's keys and values, in the system's ANSI code page.
    std::wstring (*DecodeAnsi)(const std::uint8_t* bytes, std::size_t count) = nullptr;
};

// ASCII digits and Latin-1: what the walk uses where no system is at hand.
TVersionResourceFacts PortableVersionResourceFacts() noexcept;

struct TVersionItem {
    std::wstring Text;  // key=value
    int Table = 0;      // index of its string table
};

struct TVersionResource {
    bool Is16Bit = false;
    TFixedFileInfo FixedInfo;
    TFileFlags FileFlags;
    std::vector<TVersionItem> ItemList;  // every text of every table, in order
    std::vector<TLangIdRec> Languages;   // one per string table
    std::vector<TLangIdRec> Translations;
};

// Walks a whole version resource. Raises EVtxFileVersionInfoError
// "File contains no version information" for anything malformed, including
// any block, key or value that reaches past its parent or the buffer.
TVersionResource ParseVersionResource(const std::uint8_t* data, std::size_t length, const TVersionResourceFacts& facts);

// A string-table key reduced to its 8 hexadecimal digits ("040904E4" when
// fewer remain; longer results are left for the caller to refuse).
std::wstring CleanLanguageKey(const std::wstring& key, bool (*isDigit)(std::uint16_t));

// The texts of one table, in order.
std::vector<std::wstring> TableItems(const TVersionResource& resource, int table);

} // namespace vtx
