// The process-wide file information cache. The first test must run before
// anything looks a file up in this executable.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <map>
#include <memory>
#include <set>
#include "fileinfo/KbxFileInfoClasses.h"
#include "helpers/TestSupport.h"
#include "base/Text.h"
#include <cwchar>
#include <vector>

using namespace vtx;

namespace {

using vtest::IconWidth;

using vtest::Fixture;
using vtest::SystemFile;

} // namespace

// The product name of the file's first translation, as VerQueryValueW finds it.
std::wstring PlatformProductName(const std::wstring& file) {
    DWORD handle = 0;
    std::vector<BYTE> data(::GetFileVersionInfoSizeW(file.c_str(), &handle));
    if (data.empty() || !::GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
        return L"";
    void* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &translation, &length) || length < 4)
        return L"";
    const auto* pair = static_cast<const WORD*>(translation);
    wchar_t path[80];
    swprintf(path, 80, L"\\StringFileInfo\\%04x%04x\\ProductName", pair[0], pair[1]);
    void* value = nullptr;
    if (!::VerQueryValueW(data.data(), path, &value, &length) || !value) return L"";
    return vtx::TrimBlanks(static_cast<const wchar_t*>(value));
}

TEST(FileInfoCache, NotCreatedBeforeTheFirstLookup) {
    EXPECT_FALSE(FileInfoCacheCreated());
    const TFileInfoItem& item = GetFileInfoItem(vtest::HelperPath(), L"1A", TIconType::itFile);
    EXPECT_TRUE(FileInfoCacheCreated());
    EXPECT_EQ(FileInfoCache().Count(), 1);
    EXPECT_EQ(&FileInfoCache().Items(0), &item);
}

TEST(FileInfoCache, ItemHoldsTheTrimmedTexts) {
    const TFileInfoItem& helper = GetFileInfoItem(vtest::HelperPath(), L"1A", TIconType::itFile);
    EXPECT_EQ(helper.Filename(), vtest::HelperPath());
    EXPECT_EQ(helper.Product(), L"VtHelper");
    EXPECT_EQ(helper.Company(), L"Quelmar Test Lab");
    EXPECT_EQ(helper.Description(), L"Vantrel test helper");
    EXPECT_EQ(helper.Version(), L"1.2.3.4");
    EXPECT_EQ(helper.ID(), L"1A");

    const TFileInfoItem& spaced = GetFileInfoItem(Fixture(L"fixture_versions.dll"), L"2B", TIconType::itExtension);
    EXPECT_EQ(spaced.Product(), L"Spaced Product");
    EXPECT_EQ(spaced.Company(), L"Quelmar Fixtures");
    EXPECT_EQ(spaced.Description(), L"Version fixture");
    EXPECT_EQ(spaced.Version(), L"3.1.4.15");

    const TFileInfoItem& kernel = GetFileInfoItem(SystemFile(L"kernel32.dll"), L"", TIconType::itFile);
    EXPECT_EQ(kernel.Product(), PlatformProductName(SystemFile(L"kernel32.dll")));  // "Wine" under Wine
    EXPECT_FALSE(kernel.Product().empty());
    EXPECT_FALSE(kernel.Company().empty());
}

TEST(FileInfoCache, FirstLookupOfANameFixesItsItem) {
    const std::wstring name = Fixture(L"fixture_versions.dll");
    const TFileInfoItem& first = GetFileInfoItem(name, L"2B", TIconType::itExtension);
    const int count = FileInfoCache().Count();
    const TFileInfoItem& again = GetFileInfoItem(name, L"FF", TIconType::itFile);
    EXPECT_EQ(&again, &first);
    EXPECT_EQ(again.ID(), L"2B");
    EXPECT_EQ(FileInfoCache().Count(), count);

    // Another letter case is another name, though the same file.
    std::wstring upper = name;
    for (auto& c : upper) c = static_cast<wchar_t>(::towupper(c));
    ASSERT_NE(upper, name);
    const TFileInfoItem& other = GetFileInfoItem(upper, L"3C", TIconType::itFile);
    EXPECT_NE(&other, &first);
    EXPECT_EQ(other.Filename(), upper);
    EXPECT_EQ(other.Product(), L"Spaced Product");
    EXPECT_EQ(FileInfoCache().Count(), count + 1);
    EXPECT_EQ(&GetFileInfoItem(name, L"", TIconType::itFile), &first);
}

TEST(FileInfoCache, NamesWithoutVersionGiveEmptyTexts) {
    for (const std::wstring& name : {std::wstring(L"System Idle Process"), std::wstring(L"System"),
                                     Fixture(L"fixture_noversion.dll"), Fixture(L"missing.exe")}) {
        const TFileInfoItem& item = GetFileInfoItem(name, L"0", TIconType::itFile);
        EXPECT_EQ(item.Filename(), name);
        EXPECT_EQ(item.Product(), L"");
        EXPECT_EQ(item.Company(), L"");
        EXPECT_EQ(item.Description(), L"");
        EXPECT_EQ(item.Version(), L"");
        EXPECT_EQ(item.ID(), L"0");
    }
}

TEST(FileInfoCache, ABareNameIsNeverLookedUpOnTheSearchPath) {
    // Files that the search path or the current folder would find: a bare
    // name still stands for no file, so no other file's icon or texts.
    ::SetCurrentDirectoryW(vtest::ExeDirectory().c_str());
    for (const wchar_t* name : {L"notepad.exe", L"kernel32.dll", L"vthelper.exe"}) {
        const TFileInfoItem& item = GetFileInfoItem(name, L"", TIconType::itFile);
        EXPECT_EQ(item.Icon(), nullptr) << name;
        EXPECT_EQ(item.Product(), L"") << name;
        EXPECT_EQ(item.Company(), L"") << name;
        EXPECT_EQ(item.Version(), L"") << name;
    }
}

TEST(FileInfoCache, IconsByKind) {
    // The shell's small icon of the extension, without opening the file.
    const TFileInfoItem& ext = GetFileInfoItem(L"Z:\\nowhere\\module.dll", L"", TIconType::itExtension);
    SHFILEINFOW shell{};
    const bool shellHasIcon = ::SHGetFileInfoW(L".dll", FILE_ATTRIBUTE_NORMAL, &shell, sizeof shell,
                                               SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON) != 0;
    const vtx::unique_hicon shellIcon(shell.hIcon);
    EXPECT_EQ(ext.Icon() != nullptr, shellHasIcon);
    if (ext.Icon()) {
        ASSERT_GT(vtest::IconWidth(ext.Icon()), 0);  // a whole icon, its bitmaps readable
    }
    // The file's own first icon, as ExtractIconW hands it over.
    const std::wstring shell32 = SystemFile(L"shell32.dll");
    const TFileInfoItem& file = GetFileInfoItem(shell32, L"", TIconType::itFile);
    const vtx::unique_hicon direct(::ExtractIconW(nullptr, shell32.c_str(), 0));
    EXPECT_EQ(file.Icon() != nullptr, static_cast<bool>(direct));
    EXPECT_EQ(GetFileInfoItem(L"System Idle Process", L"", TIconType::itFile).Icon(),
              ::ExtractIconW(nullptr, L"System Idle Process", 0));
}

TEST(FileInfoCache, ItemKeepsItsFirstTextsWhenTheFileChanges) {
    const std::wstring dir = vtest::ScratchDirectory(L"ficache");
    const std::wstring copy = vtest::CopyFileTo(Fixture(L"fixture_versions.dll"), dir, L"changing.dll");
    const TFileInfoItem& item = GetFileInfoItem(copy, L"", TIconType::itFile);
    EXPECT_EQ(item.Product(), L"Spaced Product");
    ASSERT_TRUE(::CopyFileW(vtest::HelperPath().c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(GetFileInfoItem(copy, L"", TIconType::itFile).Product(), L"Spaced Product");
    ::DeleteFileW(copy.c_str());
    ::RemoveDirectoryW(dir.c_str());
}

namespace {


bool IconAlive(HICON icon) { return IconWidth(icon) > 0; }

} // namespace

// A list at 120 or 144 dpi shows icons of 20 or 24 pixels: made at that size
// from the file, not stretched from 16.
TEST(FileInfoCache, IconsAtEachSizeAListAsksFor) {
    const std::wstring dir = vtest::ScratchDirectory(L"ficsizes");
    const std::wstring helper = vtest::CopyFileTo(vtest::HelperPath(), dir, L"vtsizes.exe");
    const TFileInfoItem& item = GetFileInfoItem(helper, L"", TIconType::itFile);
    EXPECT_EQ(item.IconSize(), DefaultIconSize());
    EXPECT_EQ(DefaultIconSize(), ::GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(IconWidth(item.Icon()), DefaultIconSize());
    EXPECT_EQ(item.IconAt(DefaultIconSize()), item.Icon()) << "the size it was made with";
    for (int size : {16, 20, 24, 32}) {
        HICON icon = item.IconAt(size);
        EXPECT_EQ(IconWidth(icon), size) << size;
        EXPECT_EQ(item.IconAt(size), icon) << "kept: " << size;
    }
    EXPECT_TRUE(IconAlive(item.Icon())) << "an earlier size stays valid";
    EXPECT_EQ(item.IconHandles().size(), 4u);
    // A name without a directory has no icon at any size.
    EXPECT_EQ(GetFileInfoItem(L"Registry", L"", TIconType::itFile).IconAt(24), nullptr);
    ::DeleteFileW(helper.c_str());
    ::RemoveDirectoryW(dir.c_str());
}

// The shell hands over a new copy of an extension's icon on every call: the
// module rows of many files must not each keep one.
TEST(FileInfoCache, ItemsOfOneExtensionShareOneIconHandle) {
    const size_t before = FileInfoCache().IconHandleCount();
    const wchar_t* extensions[] = {L".dll", L".DLL", L".Dll", L".ocx", L".OCX", L".drv"};
    std::map<std::wstring, std::set<HICON>> byExtension;
    std::set<HICON> all;
    for (int i = 0; i < 120; ++i) {
        const std::wstring extension = extensions[i % std::size(extensions)];
        const std::wstring name = L"Z:\\shared\\icons\\module" + std::to_wstring(i) + extension;
        const TFileInfoItem& item = GetFileInfoItem(name, L"", TIconType::itExtension);
        std::wstring folded = extension;
        for (auto& c : folded) c = static_cast<wchar_t>(::towlower(c));
        byExtension[folded].insert(item.Icon());
        all.insert(item.Icon());
    }
    SHFILEINFOW shell{};
    const bool shellHasIcon = ::SHGetFileInfoW(L".ocx", FILE_ATTRIBUTE_NORMAL, &shell, sizeof shell,
                                               SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON) != 0;
    const vtx::unique_hicon shellIcon(shell.hIcon);
    ASSERT_TRUE(shellHasIcon) << "the shell gives no icons here: nothing to share";
    for (const auto& [extension, icons] : byExtension) {
        EXPECT_EQ(icons.size(), 1u) << extension << ": letter case makes no other extension";
        EXPECT_NE(*icons.begin(), nullptr) << extension;
    }
    EXPECT_EQ(all.size(), 3u);
    EXPECT_LE(FileInfoCache().IconHandleCount(), before + 3) << "one handle per extension, not per file";

    // At another size the extension has another icon, shared the same way.
    const TFileInfoItem& first = GetFileInfoItem(L"Z:\\shared\\icons\\module0.dll", L"", TIconType::itExtension);
    const TFileInfoItem& second = GetFileInfoItem(L"Z:\\shared\\icons\\module1.DLL", L"", TIconType::itExtension);
    EXPECT_EQ(first.IconAt(24), second.IconAt(24));
    EXPECT_NE(first.IconAt(24), first.Icon());
    EXPECT_GE(IconWidth(first.IconAt(24)), 16);
}

TEST(FileInfoCache, ASharedIconGoesWithTheLastItemThatHoldsIt) {
    auto first = std::make_unique<TFileInfoItem>(L"Z:\\owned\\a.vtshare", L"", TIconType::itExtension);
    auto second = std::make_unique<TFileInfoItem>(L"Z:\\owned\\b.VTSHARE", L"", TIconType::itExtension);
    HICON icon = first->Icon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(second->Icon(), icon);
    first.reset();
    EXPECT_TRUE(IconAlive(icon)) << "still held by the second item";
    second.reset();
    EXPECT_FALSE(IconAlive(icon)) << "freed with the last item";
    // The next item of that extension gets a live icon of its own.
    TFileInfoItem third(L"Z:\\owned\\c.vtshare", L"", TIconType::itExtension);
    EXPECT_TRUE(IconAlive(third.Icon()));
}

// Wine reads the version resource of a file deeper than MAX_PATH, but user32
// reads no icon from such a path, plain or extended: the item finds it through
// the path's short names.
TEST(FileInfoCache, FilesInAFolderDeeperThanMaxPathGiveTextsAndIcon) {
    const std::wstring dir = vtest::DeepScratchDirectory(L"ficdeep");
    const std::wstring helper = vtest::CopyFileToDeep(vtest::HelperPath(), dir, L"vthelper.exe");
    const std::wstring library = vtest::CopyFileToDeep(Fixture(L"fixture_versions.dll"), dir, L"fixture_versions.dll");
    ASSERT_GT(helper.size(), static_cast<size_t>(MAX_PATH));

    const TFileInfoItem& process = GetFileInfoItem(helper, L"1A", TIconType::itFile);
    EXPECT_EQ(process.Product(), L"VtHelper");
    EXPECT_EQ(process.Version(), L"1.2.3.4");
    EXPECT_EQ(IconWidth(process.Icon()), DefaultIconSize());
    EXPECT_EQ(IconWidth(process.IconAt(24)), 24);

    const TFileInfoItem& module = GetFileInfoItem(library, L"", TIconType::itExtension);
    EXPECT_EQ(module.Product(), L"Spaced Product");
    EXPECT_EQ(module.Description(), L"Version fixture");
    EXPECT_EQ(module.Icon(), GetFileInfoItem(L"Z:\\shared\\icons\\other.dll", L"", TIconType::itExtension).Icon());

    vtest::RemoveTree(vtest::ScratchDirectory(L"ficdeep"));
}
