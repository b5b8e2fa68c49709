#include <gtest/gtest.h>
#include <cwctype>
#include "app/ListLogic.h"

namespace {

// Every character is 10 pixels wide.
int FixedWidth(const std::wstring& text) { return static_cast<int>(text.size()) * 10; }

std::wstring Fit(const std::wstring& path, int maxWidth) { return vtx::FitPathToWidth(path, FixedWidth, maxWidth); }

std::wstring Upper(const std::wstring& text) {
    std::wstring out = text;
    for (auto& c : out) c = static_cast<wchar_t>(std::towupper(c));
    return out;
}

} // namespace

TEST(FitPathToWidth, ShortensOneDirectoryPerPassThenDriveThenKeepsTheName) {
    const std::wstring path = L"C:\\Program Files\\Tools\\App\\app.exe";
    const std::wstring steps[] = {path, L"C:\\...\\Tools\\App\\app.exe", L"C:\\...\\App\\app.exe", L"C:\\...\\app.exe",
                                  L"...\\app.exe", L"app.exe"};
    for (const auto& expected : steps) {
        EXPECT_EQ(Fit(path, FixedWidth(expected)), expected);
        // One pixel less never gives the same text, except for the bare name.
        if (expected != L"app.exe") {
            EXPECT_NE(Fit(path, FixedWidth(expected) - 1), expected);
        }
    }
    EXPECT_EQ(Fit(path, 0), L"app.exe");
    EXPECT_EQ(Fit(path, -50), L"app.exe");
}

TEST(FitPathToWidth, TableOfEdgeCases) {
    struct Case { const wchar_t* path; int width; const wchar_t* expected; };
    const Case cases[] = {
        {L"C:\\app.exe", 100, L"C:\\app.exe"},          // fits
        {L"C:\\app.exe", 90, L"C:app.exe"},             // drive kept, root dropped
        {L"C:\\app.exe", 80, L"app.exe"},
        {L"System", 0, L"System"},                      // no directory: never changed
        {L"System Idle Process", 10, L"System Idle Process"},
        {L"\\\\server\\share\\dir\\file.exe", 1000, L"\\\\server\\share\\dir\\file.exe"},
        {L"\\\\server\\share\\dir\\file.exe", 230, L"\\...\\share\\dir\\file.exe"},
        {L"\\\\server\\share\\dir\\file.exe", 170, L"\\...\\dir\\file.exe"},
        {L"\\\\server\\share\\dir\\file.exe", 130, L"\\...\\file.exe"},
        {L"\\\\server\\share\\dir\\file.exe", 120, L"...\\file.exe"},
        {L"\\\\server\\share\\dir\\file.exe", 0, L"file.exe"},
        {L"dir\\file.exe", 0, L"file.exe"},
        {L"C:file.exe", 0, L"file.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(Fit(c.path, c.width), c.expected) << c.path << " at " << c.width;
}

TEST(FitPathToWidth, NetworkPathIsFirstTriedLongerThanItself) {
    // The first pass gives \...\server\share\dir\file.exe, which is longer; it
    // can only be shown when the original did not fit but this does: never.
    std::vector<std::wstring> seen;
    auto measure = [&seen](const std::wstring& text) {
        seen.push_back(text);
        return 1000;
    };
    vtx::FitPathToWidth(L"\\\\server\\share\\dir\\file.exe", measure, 0);
    const std::vector<std::wstring> expected = {L"\\\\server\\share\\dir\\file.exe", L"\\...\\server\\share\\dir\\file.exe",
                                                L"\\...\\share\\dir\\file.exe",       L"\\...\\dir\\file.exe",
                                                L"\\...\\file.exe",                   L"...\\file.exe"};
    EXPECT_EQ(seen, expected);
}

TEST(DropFirstDirectory, Table) {
    struct Case { const wchar_t* in; const wchar_t* out; };
    const Case cases[] = {
        {L"\\", L""},
        {L"\\Program Files\\Tools\\", L"\\...\\Tools\\"},
        {L"\\...\\Tools\\", L"\\...\\"},
        {L"...\\Tools\\", L"...\\"},
        {L"Tools\\", L"...\\"},
        {L"\\\\server\\share\\", L"\\...\\server\\share\\"},
        {L"noslash", L""},
    };
    for (const auto& c : cases) {
        std::wstring dir = c.in;
        vtx::DropFirstDirectory(dir);
        EXPECT_EQ(dir, c.out) << c.in;
    }
}

TEST(ProcessIdText, AtLeastFourUpperCaseDigitsAndBack) {
    struct Case { std::int32_t id; const wchar_t* text; };
    const Case cases[] = {{8, L"0008"}, {0, L"0000"}, {0xABC, L"0ABC"}, {0x1F2A3, L"1F2A3"}, {-1, L"FFFFFFFF"},
                          {static_cast<std::int32_t>(0x80000000u), L"80000000"}};
    for (const auto& c : cases) {
        EXPECT_EQ(vtx::ProcessIdText(c.id), c.text);
        EXPECT_EQ(vtx::ProcessIdFromText(c.text), c.id);
    }
    for (const wchar_t* bad : {L"", L"-", L"xyz", L"12G4", L" 12", L"-5", L"$10"}) EXPECT_EQ(vtx::ProcessIdFromText(bad), -1) << bad;
    EXPECT_EQ(vtx::ProcessIdFromText(L"00ab"), 0xAB);
}

TEST(PathColumnWidth, IsTheClientWidthLeftByTheOtherColumnsAndAScrollBar) {
    EXPECT_EQ(vtx::PathColumnWidth(true, 900, 20 + 235 + 125 + 220 + 80 + 65, 17), 138);
    EXPECT_EQ(vtx::PathColumnWidth(false, 900, 745, 17), 0);
    EXPECT_LT(vtx::PathColumnWidth(true, 500, 745, 17), 0);
}

TEST(ProcessIdIndex, FirstProcessPerNameFullPathsAndBareNamesCaseIgnored) {
    vtx::TProcessIdIndex index(Upper);
    index.Add(L"System Idle Process", 0);
    index.Add(L"C:\\Tools\\a.exe", 0x10);
    index.Add(L"C:\\Tools\\A.EXE", 0x11);
    index.Add(L"C:\\Other\\a.exe", 0x12);
    index.Add(L"locked.exe", 0x13);  // could not be opened: bare name only
    EXPECT_EQ(index.Find(L"c:\\tools\\a.exe"), 0x10);
    EXPECT_EQ(index.Find(L"C:\\Other\\A.exe"), 0x12);
    EXPECT_EQ(index.Find(L"a.exe"), 0x10);
    EXPECT_EQ(index.Find(L"LOCKED.exe"), 0x13);
    EXPECT_EQ(index.Find(L"C:\\locked.exe"), -1);
    EXPECT_EQ(index.Find(L"System Idle Process"), 0);
    EXPECT_EQ(index.Find(L"missing.exe"), -1);
}

TEST(ColumnCells, EachColumnMakesItsTextFromTheRowByName) {
    using vtx::TProcessColumn;
    auto cell = [](TProcessColumn column, const vtx::TRowFacts& row) {
        return vtx::ProcessColumnDesigns[vtx::ColumnSlot(column)].Cell(row);
    };
    const std::wstring file = L"C:\\t\\tool.exe", product = L"Tool", company = L"Maker", description = L"A tool",
                       version = L"1.0";
    const vtx::TRowFacts row{file, product, company, description, version, 0xA8};
    EXPECT_EQ(cell(TProcessColumn::Icon, row), L"");
    EXPECT_EQ(cell(TProcessColumn::Product, row), L"Tool");
    EXPECT_EQ(cell(TProcessColumn::Company, row), L"Maker");
    EXPECT_EQ(cell(TProcessColumn::Description, row), L"A tool");
    EXPECT_EQ(cell(TProcessColumn::Path, row), L"C:\\t\\tool.exe") << "the whole path; the list shortens it";
    EXPECT_EQ(cell(TProcessColumn::Version, row), L"1.0");
    EXPECT_EQ(cell(TProcessColumn::Id, row), L"00A8");
    // The module list's columns make the same texts; it has no ID column.
    for (int i = 0; i < vtx::ModuleColumnCount; ++i)
        EXPECT_EQ(vtx::ModuleColumnDesigns[static_cast<size_t>(i)].Cell(row), vtx::ProcessColumnDesigns[static_cast<size_t>(i)].Cell(row)) << i;
    // No product name, or "-": the file's name without its directory.
    struct Case { std::wstring product, fileName, shown; };
    const Case cases[] = {{L"", L"C:\\t\\plain.exe", L"plain.exe"},
                          {L"-", L"D:plain.exe", L"plain.exe"},
                          {L"", L"System", L"System"},
                          {L" ", L"C:\\t\\plain.exe", L" "}};
    const std::wstring none;
    for (const Case& c : cases)
        EXPECT_EQ(cell(TProcessColumn::Product, vtx::TRowFacts{c.fileName, c.product, none, none, none, 4}), c.shown)
            << c.fileName;
}

TEST(TableText, JoinsCellsByTabsAndLinesByCrLfWithSeparatorsInsideCellsAsSpaces) {
    struct Case { std::vector<std::vector<std::wstring>> lines; const wchar_t* text; };
    const Case cases[] = {
        {{}, L""},
        {{{L"Process", L"Company"}}, L"Process\tCompany"},
        {{{L"a", L"b"}, {L"c", L"d"}}, L"a\tb\r\nc\td"},
        {{{L"Tab\there", L"two\r\nlines", L"lf\nonly"}}, L"Tab here\ttwo  lines\tlf only"},
        {{{L"", L""}, {L"x"}}, L"\t\r\nx"},  // empty cells keep their places
    };
    for (const Case& c : cases) EXPECT_EQ(vtx::TableText(c.lines), c.text);
}
