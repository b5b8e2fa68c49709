// The version reader over real files of the build and of the Wine prefix.
#include <gtest/gtest.h>
#include <cstring>
#include <cwchar>
#include <utility>
#include "fileinfo/VersionBlob.h"
#include "fileinfo/VtxFileUtils.h"
#include "helpers/TestSupport.h"
#include "base/Errors.h"

using namespace vtx;

namespace {

using vtest::Fixture;
using vtest::SystemFile;

std::vector<BYTE> PlatformData(const std::wstring& file) {
    DWORD handle = 0;
    std::vector<BYTE> data(::GetFileVersionInfoSizeW(file.c_str(), &handle));
    if (data.empty() || !::GetFileVersionInfoW(file.c_str(), handle, static_cast<DWORD>(data.size()), data.data()))
        data.clear();
    return data;
}

// The four texts as VerQueryValueW finds them in the given table.
std::wstring PlatformValues(const std::wstring& file, TLangIdRec language) {
    std::vector<BYTE> data = PlatformData(file);
    std::wstring joined;
    bool first = true;
    for (const wchar_t* key : {L"ProductName", L"CompanyName", L"FileDescription", L"FileVersion"}) {
        wchar_t path[80];
        swprintf(path, 80, L"\\StringFileInfo\\%04x%04x\\%ls", language.LangId, language.CodePage, key);
        void* value = nullptr;
        UINT length = 0;
        if (!std::exchange(first, false)) joined += L"|";
        if (!data.empty() && ::VerQueryValueW(data.data(), path, &value, &length) && value && length)
            joined += static_cast<const wchar_t*>(value);
    }
    return joined;
}

VS_FIXEDFILEINFO PlatformFixed(const std::wstring& file) {
    std::vector<BYTE> data = PlatformData(file);
    VS_FIXEDFILEINFO fixed{};
    void* value = nullptr;
    UINT length = 0;
    if (!data.empty() && ::VerQueryValueW(data.data(), L"\\", &value, &length) && length >= sizeof fixed)
        std::memcpy(&fixed, value, sizeof fixed);
    return fixed;
}

std::wstring ReaderError(const std::wstring& fileName) {
    try {
        TVtxFileVersionInfo info(fileName);
    } catch (const EVtxFileVersionInfoError& e) {
        return e.Message();
    }
    return L"(no error)";
}

} // namespace

TEST(VersionReader, AnswersEveryKeyFromTheFirstTable) {
    const TVtxFileVersionInfo info(Fixture(L"fixture_versions.dll"));
    EXPECT_EQ(info.Comments(), L"A fixture");
    EXPECT_EQ(info.CompanyName(), L"  Quelmar Fixtures  ");  // the first of two spellings
    EXPECT_EQ(info.FileDescription(), L"\tVersion fixture\t");
    EXPECT_EQ(info.FileVersion(), L" 3.1.4.15 ");
    EXPECT_EQ(info.InternalName(), L"fixture_versions");
    EXPECT_EQ(info.LegalCopyright(), L"(c) Quelmar");
    EXPECT_EQ(info.LegalTradeMarks(), L"Vantrel");  // written "LegalTrademarks" in the file
    EXPECT_EQ(info.OriginalFilename(), L"fixture_versions.dll");
    EXPECT_EQ(info.ProductName(), L"  Spaced Product  ");
    EXPECT_EQ(info.ProductVersion(), L"2.7");
    EXPECT_EQ(info.SpecialBuild(), L"special");
    EXPECT_EQ(info.PrivateBuild(), L"private");

    ASSERT_EQ(info.Items().Count(), 13);
    EXPECT_EQ(info.Items().Strings(0), L"Comments=A fixture");
    for (const auto& item : info.Items()) EXPECT_EQ(item.Value, 0x04B00409u) << item.Text;
    ASSERT_EQ(info.Languages().size(), 2u);
    EXPECT_EQ(info.Languages()[1].Pair(), 0x04B00407u);
    EXPECT_EQ(info.Translations().size(), 2u);

    const VS_FIXEDFILEINFO fixed = info.FixedInfo();
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00030001u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x0004000Fu);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00020007u);
    EXPECT_TRUE(info.FileFlags().Has(TFileFlag::ffDebug));
    EXPECT_TRUE(info.FileFlags().Has(TFileFlag::ffSpecialBuild));
    EXPECT_FALSE(info.FileFlags().Has(TFileFlag::ffPrivateBuild));
}

TEST(VersionReader, RootWithoutStringTablesReadsEmptyTexts) {
    const TVtxFileVersionInfo info(Fixture(L"fixture_rootonly.dll"));
    EXPECT_EQ(info.Items().Count(), 0);
    for (const auto& text : {info.Comments(), info.CompanyName(), info.FileDescription(), info.FileVersion(),
                             info.InternalName(), info.LegalCopyright(), info.LegalTradeMarks(),
                             info.OriginalFilename(), info.ProductName(), info.ProductVersion(), info.SpecialBuild(),
                             info.PrivateBuild()})
        EXPECT_EQ(text, L"");
    EXPECT_EQ(info.FixedInfo().dwFileVersionMS, 0x00090008u);
    EXPECT_EQ(info.FixedInfo().dwFileVersionLS, 0x00070006u);
}

TEST(VersionReader, ReadsTheFilesOfThePrefix) {
    const TVtxFileVersionInfo kernel(SystemFile(L"kernel32.dll"));
    // "Wine" under Wine, the Windows product name on Windows.
    const std::wstring kernelTexts = PlatformValues(SystemFile(L"kernel32.dll"), kernel.Languages().at(0));
    EXPECT_EQ(kernel.ProductName(), kernelTexts.substr(0, kernelTexts.find(L'|')));
    EXPECT_FALSE(kernel.ProductName().empty());
    EXPECT_FALSE(kernel.FileVersion().empty());
    EXPECT_EQ(kernel.FixedInfo().dwSignature, 0xFEEF04BDu);

    // The walk answers what the platform's own lookup answers.
    for (const wchar_t* name : {L"kernel32.dll", L"user32.dll", L"shell32.dll", L"comctl32.dll", L"advapi32.dll", L"msvcrt.dll"}) {
        const std::wstring file = SystemFile(name);
        const TVtxFileVersionInfo info(file);
        const std::wstring platform = PlatformValues(file, info.Languages().at(0));
        EXPECT_EQ(info.ProductName() + L"|" + info.CompanyName() + L"|" + info.FileDescription() + L"|" +
                      info.FileVersion(),
                  platform)
            << file;
        const VS_FIXEDFILEINFO expected = PlatformFixed(file), actual = info.FixedInfo();
        EXPECT_EQ(std::memcmp(&expected, &actual, sizeof actual), 0) << file;
    }

    const TVtxFileVersionInfo helper(vtest::HelperPath());
    EXPECT_EQ(helper.ProductName(), L"VtHelper");
    EXPECT_EQ(helper.CompanyName(), L"Quelmar Test Lab");
    EXPECT_EQ(helper.FileDescription(), L"Vantrel test helper");
    EXPECT_EQ(helper.FileVersion(), L"1.2.3.4");
    EXPECT_EQ(helper.FixedInfo().dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(helper.FixedInfo().dwFileVersionLS, 0x00030004u);
}

TEST(VersionReader, RefusesWhatIsNoVersionedFile) {
    const std::wstring missing = vtest::ExeDirectory() + L"no_such_file.dll";
    EXPECT_EQ(ReaderError(missing), L"The file " + missing + L" does not exist");
    EXPECT_EQ(ReaderError(L""), L"The file  does not exist");
    const std::wstring dir = vtest::ExeDirectory();
    EXPECT_EQ(ReaderError(dir.substr(0, dir.size() - 1)), L"The file " + dir.substr(0, dir.size() - 1) + L" does not exist");
    EXPECT_EQ(ReaderError(Fixture(L"fixture_noversion.dll")), L"File contains no version information");
    EXPECT_EQ(ReaderError(L"System Idle Process"), L"The file System Idle Process does not exist");
}

TEST(VersionReader, ReadableAnswersWithoutRaising) {
    EXPECT_TRUE(FileVersionInfoReadable(Fixture(L"fixture_versions.dll")));
    EXPECT_TRUE(FileVersionInfoReadable(vtest::HelperPath()));
    EXPECT_FALSE(FileVersionInfoReadable(Fixture(L"fixture_noversion.dll")));
    EXPECT_FALSE(FileVersionInfoReadable(Fixture(L"no_such_file.dll")));
    EXPECT_FALSE(FileVersionInfoReadable(L""));
}

TEST(VersionReader, FromMemoryKeysIgnoreLetterCase) {
    using namespace vblob;
    const Bytes bytes = Write(Root({Block(L"StringFileInfo",
                                          {Block(L"040904E4", {Text(L"PRODUCTNAME", L"upper"), Text(L"productname", L"lower"),
                                                               Text(L"FileVersion", L"a=b=c"), Text(L"Comment", L"no")})})}));
    const TVtxFileVersionInfo info(bytes.data(), bytes.size());
    EXPECT_EQ(info.ProductName(), L"upper");
    EXPECT_EQ(info.FileVersion(), L"a=b=c");
    EXPECT_EQ(info.Comments(), L"");  // a prefix of the key is no match
    EXPECT_EQ(info.Items().Objects(0), 0x04E40409u);

    Bytes broken = bytes;
    broken[40] ^= 1;  // the signature
    EXPECT_THROW(TVtxFileVersionInfo(broken.data(), broken.size()), EVtxFileVersionInfoError);
}

TEST(VersionReader, LocaleDigitClass) {
    const auto& facts = SystemVersionResourceFacts();
    for (wchar_t c : std::wstring(L"0123456789")) EXPECT_TRUE(facts.IsDigit(c)) << int(c);
    for (wchar_t c : std::wstring(L"AaFfx /:")) EXPECT_FALSE(facts.IsDigit(c)) << int(c);
    EXPECT_EQ(facts.DecodeAnsi(reinterpret_cast<const std::uint8_t*>("Quelmar"), 7), L"Quelmar");
}
