// The walk over version-resource bytes, with hand-built buffers.
#include <gtest/gtest.h>
#include <cstring>
#include "fileinfo/FileInfoText.h"
#include "fileinfo/VersionResource.h"
#include "fileinfo/VersionBlob.h"

using namespace vtx;
using namespace vblob;

namespace {

TVersionResource Parse(const Bytes& bytes, const TVersionResourceFacts& facts = PortableVersionResourceFacts()) {
    // An exact-size heap copy, so that a read past the end is one a sanitizer sees.
    std::vector<std::uint8_t> copy(bytes);
    return ParseVersionResource(copy.data(), copy.size(), facts);
}

bool Refused(const Bytes& bytes) {
    try {
        Parse(bytes);
        return false;
    } catch (const EVtxFileVersionInfoError& e) {
        EXPECT_EQ(e.Message(), L"File contains no version information");
        return true;
    }
}

Node OneTable(const std::wstring& tableKey, std::vector<Node> strings) {
    return Root({Block(L"StringFileInfo", {Block(tableKey, std::move(strings))})});
}

std::vector<std::wstring> Texts(const TVersionResource& r, int table = 0) { return TableItems(r, table); }

} // namespace

TEST(VersionWalk, ReadsTablesFixedRecordFlagsAndTranslations) {
    const TVersionResource r = Parse(Write(TwoTableResource()));
    EXPECT_FALSE(r.Is16Bit);
    EXPECT_EQ(r.FixedInfo.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(r.FixedInfo.dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(r.FixedInfo.dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(r.FixedInfo.dwFileOS, 0x40004u);
    // flags 0x0B under mask 0x3F: debug, pre-release, private build.
    EXPECT_TRUE(r.FileFlags.Has(TFileFlag::ffDebug));
    EXPECT_TRUE(r.FileFlags.Has(TFileFlag::ffPreRelease));
    EXPECT_TRUE(r.FileFlags.Has(TFileFlag::ffPrivateBuild));
    EXPECT_FALSE(r.FileFlags.Has(TFileFlag::ffPatched));
    EXPECT_FALSE(r.FileFlags.Has(TFileFlag::ffInfoInferred));
    EXPECT_FALSE(r.FileFlags.Has(TFileFlag::ffSpecialBuild));

    ASSERT_EQ(r.Languages.size(), 2u);
    EXPECT_EQ(r.Languages[0].LangId, 0x0409);
    EXPECT_EQ(r.Languages[0].CodePage, 0x04B0);
    EXPECT_EQ(r.Languages[0].Pair(), 0x04B00409u);
    EXPECT_EQ(r.Languages[1].LangId, 0x0407);
    EXPECT_EQ(Texts(r, 0), (std::vector<std::wstring>{L"CompanyName=Quelmar", L"ProductName=  Vantrel  ",
                                                      L"FileVersion=0.6.0.225"}));
    EXPECT_EQ(Texts(r, 1), (std::vector<std::wstring>{L"CompanyName=Quelmar GmbH", L"ProductName=Vantrel DE"}));
    ASSERT_EQ(r.Translations.size(), 2u);
    EXPECT_EQ(r.Translations[1].Pair(), 0x04B00407u);
}

TEST(VersionWalk, FlagsNeedTheirMaskBit) {
    Fixed fixed;
    fixed.Words[6] = 0x30;  // mask: inferred and special build only
    fixed.Words[7] = 0x3F;
    const TVersionResource r = Parse(Write(Root({}, fixed)));
    EXPECT_EQ(r.FileFlags.Bits, (1u << int(TFileFlag::ffInfoInferred)) | (1u << int(TFileFlag::ffSpecialBuild)));
}

TEST(VersionWalk, FormsValuesByType) {
    Node padded = Text(L"Padded", L"abc");
    padded.Value = Utf16(std::wstring(L"abc\0\0\0", 6));
    padded.ValueLength = 7;
    Node noZero{L"Exact", 1, Utf16(L"wxyz", false), 2};  // value length wins over the longer text
    Node emptyText{L"EmptyText", 1, Utf16(L"ignored"), 0};
    const TVersionResource r = Parse(Write(OneTable(
        L"040904B0", {Binary(L"Bin1", {0x05}), Binary(L"Bin2", {0xCD, 0xAB}), Binary(L"Bin3", {0x01, 0x02, 0x03}),
                      Binary(L"Bin4", {0x78, 0x56, 0x34, 0x12}), Binary(L"Bin0", {}),
                      Binary(L"BinText", Utf16(L"long binary")), padded, noZero, emptyText})));
    EXPECT_EQ(Texts(r), (std::vector<std::wstring>{L"Bin1=$05", L"Bin2=$ABCD", L"Bin3=$030201", L"Bin4=$12345678",
                                                  L"Bin0=", L"BinText=long binary", L"Padded=abc", L"Exact=wx",
                                                  L"EmptyText="}));
}

TEST(VersionWalk, TextLengthCountedInBytesStillReads) {
    // Some resource tools count text value lengths in bytes; the zero ends the text inside its block.
    Node s = Text(L"ProductName", L"Vantrel");
    s.ValueLength = static_cast<int>(s.Value.size());
    EXPECT_EQ(Texts(Parse(Write(OneTable(L"040904B0", {s})))), std::vector<std::wstring>{L"ProductName=Vantrel"});
}

TEST(VersionWalk, CleansLanguageKeys) {
    struct Case {
        const wchar_t* Key;
        const wchar_t* Clean;
    } const cases[] = {
        {L"040904B0", L"040904B0"}, {L"0x0409 0x04B0", L"040904B0"}, {L"040904b0", L"040904b0"},
        {L"0409", L"040904E4"},     {L"", L"040904E4"},              {L"00xx0409-04B0", L"040904B0"},
        {L"0409_04G0", L"040904E4"}, {L"0409045678", L"0409045678"},
    };
    for (const Case& c : cases) EXPECT_EQ(CleanLanguageKey(c.Key, nullptr), c.Clean) << c.Key;

    const TVersionResource r = Parse(Write(Root({Block(
        L"StringFileInfo", {Block(L"0x0409 0x04B0", {Text(L"A", L"1")}), Block(L"short", {Text(L"B", L"2")})})})));
    ASSERT_EQ(r.Languages.size(), 2u);
    EXPECT_EQ(r.Languages[0].Pair(), 0x04B00409u);
    EXPECT_EQ(r.Languages[1].Pair(), 0x04E40409u);
    EXPECT_EQ(Texts(r, 1), std::vector<std::wstring>{L"B=2"});
}

TEST(VersionWalk, DigitClassComesFromTheFacts) {
    // U+0660 is a digit in the locale handed in: it survives cleaning, and the
    // part it sits in does not read as a hexadecimal number.
    TVersionResourceFacts facts = PortableVersionResourceFacts();
    facts.IsDigit = [](std::uint16_t u) { return (u >= '0' && u <= '9') || u == 0x0660; };
    const std::wstring key = std::wstring(1, wchar_t(0x0660)) + L"40904B0";
    EXPECT_EQ(CleanLanguageKey(key, facts.IsDigit), key);
    EXPECT_EQ(CleanLanguageKey(key, nullptr), L"040904E4");
    const TVersionResource r = Parse(Write(OneTable(key, {Text(L"A", L"1")})), facts);
    EXPECT_EQ(r.Languages[0].LangId, 0);
    EXPECT_EQ(r.Languages[0].CodePage, 0x04B0);
}

TEST(VersionWalk, BlockNamesIgnoreLetterCase) {
    const TVersionResource r = Parse(Write(Root(
        {Block(L"stringfileinfo", {Block(L"040904B0", {Text(L"CompanyName", L"Q")})}),
         Block(L"VARFILEINFO", {Translation({0x04B00409})})},
        {}, L"vs_Version_Info")));
    EXPECT_EQ(Texts(r), std::vector<std::wstring>{L"CompanyName=Q"});
    EXPECT_EQ(r.Translations.size(), 1u);
}

TEST(VersionWalk, RootAloneOrUnknownBlocksAreFine) {
    const TVersionResource bare = Parse(Write(Root({})));
    EXPECT_TRUE(bare.ItemList.empty());
    EXPECT_TRUE(bare.Languages.empty());
    EXPECT_EQ(bare.FixedInfo.dwFileVersionLS, 0x00030004u);

    // An unknown block ends the walk without error; what came before stays.
    const TVersionResource r = Parse(Write(Root({Block(L"StringFileInfo", {Block(L"040904B0", {Text(L"A", L"1")})}),
                                                 Block(L"Other", {}), Block(L"StringFileInfo", {})})));
    EXPECT_EQ(Texts(r), std::vector<std::wstring>{L"A=1"});
}

TEST(VersionWalk, ZeroLengthEndsOnlyBeforeZeroBytes) {
    Node root = TwoTableResource();
    Bytes bytes = Write(root);
    const std::size_t real = bytes.size();
    bytes.resize(real + 16, 0);
    Put16(bytes, 0, static_cast<int>(bytes.size()));  // root claims the zeros too
    EXPECT_EQ(Parse(bytes).Languages.size(), 2u);

    bytes[real + 9] = 0x01;  // a non-zero byte after the zero length word
    EXPECT_TRUE(Refused(bytes));

    // The same inside a string table: the table, its parent and the root
    // claim eight more bytes, zeros at first, then one is not.
    Bytes inner = Write(OneTable(L"040904B0", {Text(L"A", L"1")}));
    const std::size_t tail = inner.size();
    inner.resize(tail + 8, 0);
    for (std::size_t at : {std::size_t(0), std::size_t(92), std::size_t(128)})
        Put16(inner, at, (inner[at] | (inner[at + 1] << 8)) + 8);
    EXPECT_NO_THROW(Parse(inner));
    inner[tail + 6] = 0x7F;
    EXPECT_TRUE(Refused(inner));
}

TEST(VersionWalk, RefusesMalformedResources) {
    Fixed badSignature;
    badSignature.Words[0] = 0xFEEF04BC;
    Node rootValue = Root({});
    rootValue.ValueLength = 48;
    Node tableWithValue = Block(L"040904B0", {Text(L"A", L"1")});
    tableWithValue.ValueLength = 2;
    Node oddType = Text(L"A", L"1");
    oddType.Type = 2;
    Node childTooLong = Block(L"040904B0", {Text(L"A", L"1")});
    childTooLong.Length = 400;

    const struct {
        const char* Name;
        Bytes Data;
    } cases[] = {
        {"empty", {}},
        {"five bytes", {0x5C, 0, 0x34, 0, 0}},
        {"root length zero", [] { Bytes b = Write(Root({})); Put16(b, 0, 0); return b; }()},
        {"root key", Write(Root({}, {}, L"VS_VERSION_INF0"))},
        {"root value length", Write(rootValue)},
        {"signature", Write(Root({}, badSignature))},
        {"table with a value", Write(Root({Block(L"StringFileInfo", {tableWithValue})}))},
        {"table key too long", Write(OneTable(L"040904B000", {Text(L"A", L"1")}))},
        {"string type 2", Write(OneTable(L"040904B0", {oddType}))},
        {"table past its parent", Write(Root({Block(L"StringFileInfo", {childTooLong})}))},
        {"root past the buffer", [] { Bytes b = Write(Root({})); Put16(b, 0, static_cast<int>(b.size() + 4)); return b; }()},
    };
    for (const auto& c : cases) EXPECT_TRUE(Refused(c.Data)) << c.Name;
}

TEST(VersionWalk, RefusesValuesAndKeysPastTheirBlock) {
    Node binaryTooLong = Binary(L"Bin", {1, 2, 3, 4});
    binaryTooLong.ValueLength = 40;
    Node textNoEnd{L"T", 1, Utf16(L"abcd", false), 200};  // no zero, value length far past the block
    const Bytes good = Write(OneTable(L"040904B0", {Text(L"Key", L"v")}));
    Bytes unterminated = good;
    // Cut the string block right inside its key: its length now ends before the key's zero.
    const std::size_t keyAt = good.size() - 20;  // header 6, key 8, padding 2, value 4
    Put16(unterminated, keyAt, 8);
    EXPECT_TRUE(Refused(Write(OneTable(L"040904B0", {binaryTooLong}))));
    EXPECT_TRUE(Refused(Write(OneTable(L"040904B0", {textNoEnd}))));
    EXPECT_TRUE(Refused(unterminated));
}

TEST(VersionWalk, NoTruncationOrCorruptWordReadsOutside) {
    // Every prefix, and every 16-bit word set to extremes, is read or refused;
    // the fuzz target repeats this at scale under the sanitizers.
    const Bytes good = Write(TwoTableResource());
    for (std::size_t n = 0; n < good.size(); ++n) {
        Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_TRUE(Refused(cut)) << n;
    }
    for (std::size_t at = 0; at + 1 < good.size(); at += 2) {
        for (int value : {0x0000, 0x0001, 0x0003, 0x7FFF, 0xFFFF}) {
            Bytes bad = good;
            Put16(bad, at, value);
            try {
                Parse(bad);
            } catch (const EVtxFileVersionInfoError&) {
            }
        }
    }
}

TEST(VersionWalk, Reads16BitFormWithAnsiText) {
    TVersionResourceFacts facts = PortableVersionResourceFacts();
    // A code page of its own, to see that the walk decodes through it.
    facts.DecodeAnsi = [](const std::uint8_t* bytes, std::size_t count) {
        std::wstring text;
        for (std::size_t i = 0; i < count; ++i) text += bytes[i] == 0x80 ? L'\x20AC' : static_cast<wchar_t>(bytes[i]);
        return text;
    };
    Node price = Text(L"Price", L"5 \x80");
    Node emptyValue = Text(L"Empty", L"x");
    emptyValue.ValueLength = 0;
    Node bin = Binary(L"Bin", {'4', '2', 0});  // no type word: read as text
    const Node root = Root({Block(L"StringFileInfo", {Block(L"040704E4", {Text(L"CompanyName", L"Quelmar"), price,
                                                                         emptyValue, bin})}),
                            Block(L"VarFileInfo", {Translation({0x04E40407})})});
    const Bytes bytes = Write(root, false);
    ASSERT_NE(bytes[4], 0);  // the third word is the key's start, not a type
    const TVersionResource r = Parse(bytes, facts);
    EXPECT_TRUE(r.Is16Bit);
    EXPECT_EQ(r.Languages[0].Pair(), 0x04E40407u);
    EXPECT_EQ(Texts(r), (std::vector<std::wstring>{L"CompanyName=Quelmar", L"Price=5 \x20AC", L"Empty=", L"Bin=42"}));
    EXPECT_EQ(r.Translations.size(), 1u);
    EXPECT_EQ(r.FixedInfo.dwFileVersionMS, 0x00010002u);

    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_TRUE(Refused(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)))) << n;
}

TEST(FileInfoText, TrimsAndFindsExtensions) {
    EXPECT_EQ(TrimBlanks(L"  Spaced Product  "), L"Spaced Product");
    EXPECT_EQ(TrimBlanks(L"\t\r\n x \x01"), L"x");
    EXPECT_EQ(TrimBlanks(L" \x1f "), L"");
    EXPECT_EQ(TrimBlanks(L"\xA0nbsp\xA0"), L"\xA0nbsp\xA0");
    const struct {
        const wchar_t* Name;
        const wchar_t* Extension;
    } cases[] = {
        {L"C:\\windows\\system32\\kernel32.dll", L".dll"}, {L"archive.tar.gz", L".gz"}, {L"C:\\dir.d\\noext", L""},
        {L"C:.x", L".x"},  {L"C:\\a.b:stream", L""},  {L"System Idle Process", L""}, {L"trailing.", L"."},
    };
    for (const auto& c : cases) EXPECT_EQ(FileExtensionOf(c.Name), c.Extension) << c.Name;
}

TEST(FileInfoText, PathsOfMaxPathAndMoreTakeTheExtendedForm) {
    const std::wstring deep = L"C:\\" + std::wstring(100, L'a') + L"\\" + std::wstring(100, L'b') + L"\\" +
                              std::wstring(60, L'c') + L".dll";
    ASSERT_GE(deep.size(), 260u);
    const std::wstring at259 = L"C:\\" + std::wstring(252, L'x') + L".dll";
    ASSERT_EQ(at259.size(), 259u);
    const std::wstring share = L"\\\\server\\share\\" + deep.substr(3);
    const struct {
        std::wstring Path, Extended;
    } cases[] = {
        {at259, at259},                                       // short enough as it is
        {at259 + L"x", L"\\\\?\\" + at259 + L"x"},             // 260: too long for the plain form
        {deep, L"\\\\?\\" + deep},
        {L"z" + deep.substr(1), L"\\\\?\\z" + deep.substr(1)},  // any drive letter
        {share, L"\\\\?\\UNC\\server\\share\\" + deep.substr(3)},
        {L"\\\\?\\" + deep, L"\\\\?\\" + deep},                // already extended
        {L"\\\\.\\" + deep, L"\\\\.\\" + deep},                // a device path
        {L"C:\\a\\.\\" + deep.substr(3), L"C:\\a\\.\\" + deep.substr(3)},    // "." is not resolved in that form
        {L"C:\\a\\..\\" + deep.substr(3), L"C:\\a\\..\\" + deep.substr(3)},  // nor ".."
        {L"C:/" + deep.substr(3), L"C:/" + deep.substr(3)},                // nor "/"
        {deep.substr(3), deep.substr(3)},                                  // relative
        {L"1:\\" + deep.substr(3), L"1:\\" + deep.substr(3)},              // no drive letter
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtendedLengthPath(c.Path), c.Extended) << c.Path;
        if (c.Extended != c.Path) {
            EXPECT_EQ(WithoutExtendedPrefix(c.Extended), c.Path) << c.Path;
        }
    }
    EXPECT_EQ(WithoutExtendedPrefix(L"\\\\?\\C:\\x"), L"C:\\x");
    EXPECT_EQ(WithoutExtendedPrefix(L"\\\\?\\UNC\\server\\x"), L"\\\\server\\x");
    EXPECT_EQ(WithoutExtendedPrefix(L"C:\\x"), L"C:\\x");
    EXPECT_EQ(WithoutExtendedPrefix(L"\\\\server\\x"), L"\\\\server\\x");
}
