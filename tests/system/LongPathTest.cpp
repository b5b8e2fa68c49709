// Names of MAX_PATH characters and more: the buffer reader under each answer
// the system gives for a buffer too small, modules loaded from a folder deeper
// than MAX_PATH, and a process image named by such a path. Wine starts no
// program from such a folder (CreateProcessW answers "file not found" for the
// plain path and "invalid name" for the extended one), so the image name of
// a running child is injected through the image-name seam.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include "helpers/TestSupport.h"
#include "system/NameBuffer.h"
#include "system/VtxSysInfo.h"
#include "base/ScopedOverride.h"

namespace vtx {
namespace {

using vtest::SameText;

std::wstring NameOfLength(size_t length) {
    std::wstring name = L"C:\\";
    for (size_t i = 0; name.size() < length; ++i) name += (i % 64 == 63) ? L'\\' : static_cast<wchar_t>(L'a' + i % 26);
    return name.substr(0, length);
}

// How the platform's readers answer a buffer of Size for a name of Length.
enum class TCut {
    ErrorInsufficient,  // QueryFullProcessImageNameW: FALSE, ERROR_INSUFFICIENT_BUFFER
    FullNoZero,         // GetModuleFileNameExW on Vista and later, and Wine: Size characters, no zero
    FullWithZero,       // GetModuleFileNameExW on XP: Size - 1 characters and the zero
};

DWORD ReadAs(TCut cut, const std::wstring& name, wchar_t* buffer, DWORD size) {
    if (name.size() < size) {
        std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        return static_cast<DWORD>(name.size());
    }
    switch (cut) {
    case TCut::ErrorInsufficient:
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    case TCut::FullNoZero:
        std::memcpy(buffer, name.c_str(), size * sizeof(wchar_t));
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    case TCut::FullWithZero:
        std::memcpy(buffer, name.c_str(), (size - 1) * sizeof(wchar_t));
        buffer[size - 1] = L'\0';
        return size - 1;
    }
    return 0;
}

TEST(NameBuffer, ReadsNamesUpToTheLongestPathUnderEveryWayOfCutting) {
    for (TCut cut : {TCut::ErrorInsufficient, TCut::FullNoZero, TCut::FullWithZero}) {
        for (size_t length : {10u, 258u, 259u, 260u, 261u, 519u, 520u, 1000u, 32766u, 32767u}) {
            const std::wstring name = NameOfLength(length);
            int reads = 0;
            const std::wstring read = ReadName(MAX_PATH, [&](wchar_t* buffer, DWORD size) {
                ++reads;
                return ReadAs(cut, name, buffer, size);
            });
            EXPECT_EQ(read, name) << "cut " << static_cast<int>(cut) << ", length " << length;
            EXPECT_LE(reads, 8) << "doubling from 260 reaches 32,768 in seven steps";
        }
    }
}

TEST(NameBuffer, StopsAtFailuresAndAtTheLongestBuffer) {
    int reads = 0;
    // A failure for another reason is not retried.
    EXPECT_EQ(ReadName(MAX_PATH, [&](wchar_t*, DWORD) {
                  ++reads;
                  ::SetLastError(ERROR_ACCESS_DENIED);
                  return DWORD{0};
              }),
              L"");
    EXPECT_EQ(reads, 1);
    // A reader that is never satisfied ends at 32,768 characters.
    reads = 0;
    DWORD largest = 0;
    EXPECT_EQ(ReadName(MAX_PATH, [&](wchar_t*, DWORD size) {
                  ++reads;
                  largest = std::max(largest, size);
                  ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
                  return DWORD{0};
              }),
              L"");
    EXPECT_EQ(largest, LongestPathBuffer);
    EXPECT_EQ(reads, 8);
    // A name longer than any path: what fits the longest buffer.
    const std::wstring endless = NameOfLength(40000);
    const std::wstring cut = ReadName(MAX_PATH, [&](wchar_t* buffer, DWORD size) {
        return ReadAs(TCut::FullNoZero, endless, buffer, size);
    });
    EXPECT_EQ(cut, endless.substr(0, LongestPathBuffer));
}

// A folder deeper than MAX_PATH, with a copy of a library in it.
class DeepFolder : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Dir = vtest::DeepScratchDirectory(L"deepsys");
        Library = vtest::CopyFileToDeep(vtest::Fixture(L"fixture_versions.dll"), Dir, L"fixture_versions.dll");
        Image = vtest::CopyFileToDeep(vtest::HelperPath(), Dir, L"vthelper.exe");
    }
    static void TearDownTestSuite() { vtest::RemoveTree(vtest::ScratchDirectory(L"deepsys")); }
    void SetUp() override {
        ASSERT_GT(Library.size(), static_cast<size_t>(MAX_PATH));
        ASSERT_NE(::GetFileAttributesW((L"\\\\?\\" + Library).c_str()), INVALID_FILE_ATTRIBUTES);
    }
    static inline std::wstring Dir, Library, Image;
};

TEST_F(DeepFolder, EveryModuleMethodGivesTheWholePathOfALibraryLoadedFromThere) {
    vtest::ChildProcess child(vtest::HelperPath(), L"load \"" + Library + L"\"", false);
    ASSERT_TRUE(child.Running());
    auto pathsWith = [&](TSystemFacts facts) {
        TScopedOverride<TSystemFacts> override(SystemFacts(), SetSystemFacts, facts);
        TStringList list;
        EXPECT_TRUE(ListLoadedModules(list, child.Id(), false));
        std::vector<std::wstring> paths;
        for (const auto& entry : list) paths.push_back(entry.Text);
        return paths;
    };
    auto hasLibrary = [&](const std::vector<std::wstring>& paths) {
        return std::any_of(paths.begin(), paths.end(), [&](const std::wstring& p) { return SameText(p, Library); });
    };
    const DWORD start = ::GetTickCount();
    while (!hasLibrary(pathsWith(SystemFacts())) && ::GetTickCount() - start < 10000) ::Sleep(20);
    ASSERT_EQ(child.Wait(0), STILL_ACTIVE) << "the helper could not load the library";

    TSystemFacts loaderList = SystemFacts(), snapshot = SystemFacts(), processStatus = SystemFacts();
    loaderList.LoaderLists = true;
    // The module snapshot cuts the path at 259 characters: the process-status calls read it whole.
    snapshot.LoaderLists = false;
    processStatus.MajorVersion = 4;
    processStatus.MinorVersion = 0;
    for (const TSystemFacts& facts : {loaderList, snapshot, processStatus}) {
        const std::vector<std::wstring> paths = pathsWith(facts);
        EXPECT_TRUE(hasLibrary(paths)) << "major " << facts.MajorVersion << ", loader lists " << facts.LoaderLists;
        for (const std::wstring& path : paths)
            EXPECT_NE(path.size(), static_cast<size_t>(MAX_PATH - 1)) << "a cut path: " << path;
    }
}

// The image query of one process answers the deep copy's path, with the
// system's contract: FALSE and ERROR_INSUFFICIENT_BUFFER for a buffer too small.
TEST_F(DeepFolder, AProcessImageOfThatDepthIsListedWhole) {
    vtest::ChildProcess child(vtest::HelperPath(), L"sleep 60000", false);
    ASSERT_TRUE(child.Running());
    std::vector<DWORD> sizesAsked;
    TScopedOverride seam(ImageNameSeam(), [&](HANDLE process, wchar_t* buffer, DWORD* size) -> BOOL {
        if (::GetProcessId(process) != child.Id()) return ::QueryFullProcessImageNameW(process, 0, buffer, size);
        sizesAsked.push_back(*size);
        if (*size <= Image.size()) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(buffer, Image.c_str(), (Image.size() + 1) * sizeof(wchar_t));
        *size = static_cast<DWORD>(Image.size());
        return TRUE;
    });
    EXPECT_EQ(LimitedProcessImageName(child.Id(), true), Image);
    EXPECT_EQ(LimitedProcessImageName(child.Id(), false), L"vthelper.exe");
    ASSERT_GE(sizesAsked.size(), 2u);
    EXPECT_EQ(sizesAsked.front(), static_cast<DWORD>(MAX_PATH));

    std::vector<TProcessEntry> entries;
    ASSERT_TRUE(ListProcessEntries(entries, true));
    const auto entry =
        std::find_if(entries.begin(), entries.end(), [&](const TProcessEntry& e) { return e.Id == child.Id(); });
    ASSERT_NE(entry, entries.end());
    EXPECT_EQ(entry->FileName, Image);
    EXPECT_EQ(ProcessIdFromFileName(Image), static_cast<std::int32_t>(child.Id()));
}

} // namespace
} // namespace vtx
