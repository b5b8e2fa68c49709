// Reader of a file's version resource: the standard texts and the fixed
// version record, read from the reader's own copy of the resource.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "fileinfo/VersionResource.h"
#include "base/StringList.h"

namespace vtx {

// True when the platform reports a version resource for the file and hands
// its data over. Raises nothing.
bool FileVersionInfoReadable(const std::wstring& fileName);

// The walk's platform facts on this system: the user locale's digit class
// and the ANSI code page.
const TVersionResourceFacts& SystemVersionResourceFacts();

class TVtxFileVersionInfo {
public:
    // Raises EVtxFileVersionInfoError ("The file %s does not exist",
    // "File contains no version information") or the OS error when the
    // platform fails to hand the data over.
    explicit TVtxFileVersionInfo(const std::wstring& fileName);
    // From a resource already in memory, as GetFileVersionInfoW delivers it.
    TVtxFileVersionInfo(const void* data, std::size_t length);

    std::wstring Comments() const { return Value(L"Comments"); }
    std::wstring CompanyName() const { return Value(L"CompanyName"); }
    std::wstring FileDescription() const { return Value(L"FileDescription"); }
    std::wstring FileVersion() const { return Value(L"FileVersion"); }
    std::wstring InternalName() const { return Value(L"InternalName"); }
    std::wstring LegalCopyright() const { return Value(L"LegalCopyright"); }
    std::wstring LegalTradeMarks() const { return Value(L"LegalTradeMarks"); }
    std::wstring OriginalFilename() const { return Value(L"OriginalFilename"); }
    std::wstring ProductName() const { return Value(L"ProductName"); }
    std::wstring ProductVersion() const { return Value(L"ProductVersion"); }
    std::wstring SpecialBuild() const { return Value(L"SpecialBuild"); }
    std::wstring PrivateBuild() const { return Value(L"PrivateBuild"); }

    VS_FIXEDFILEINFO FixedInfo() const noexcept;
    TFileFlags FileFlags() const noexcept { return FResource.FileFlags; }
    // The texts of the selected table, each with the table's language Pair.
    const TStringList& Items() const noexcept { return FItems; }
    const std::vector<TLangIdRec>& Languages() const noexcept { return FResource.Languages; }
    const std::vector<TLangIdRec>& Translations() const noexcept { return FResource.Translations; }

    // The text after the first "=" of the first item whose key matches
    // without letter case; empty when none does. Never raises.
    std::wstring Value(const wchar_t* keyName) const noexcept;

private:
    void Load(const std::uint8_t* data, std::size_t length);

    TVersionResource FResource;
    TStringList FItems;
    int FLanguageIndex = 0;
};

} // namespace vtx
