#include "fileinfo/VersionResource.h"
#include "base/Text.h"

namespace vtx {

namespace {

bool AsciiDigit(std::uint16_t unit) { return unit >= '0' && unit <= '9'; }

std::wstring Latin1(const std::uint8_t* bytes, std::size_t count) {
    std::wstring text;
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i) text += static_cast<wchar_t>(bytes[i]);
    return text;
}

// Four characters as one hexadecimal number; 0 when they are not one.
std::uint16_t HexPart(const std::wstring& text, std::size_t from) {
    unsigned value = 0;
    for (std::size_t i = from; i < from + 4; ++i) {
        int digit = HexDigitValue(text[i]);
        if (digit < 0) return 0;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

std::size_t Align4(std::size_t pos) { return (pos + 3) & ~static_cast<std::size_t>(3); }

struct THeader {
    std::size_t Start = 0;
    std::size_t End = 0;       // Start + Length
    std::size_t ValuePos = 0;  // after key and padding, never past End
    std::uint16_t Length = 0;
    std::uint16_t ValueLength = 0;
    std::uint16_t Type = 1;
    std::wstring Key;
    bool EndMark = false;
};

// One walk over one buffer. Every read goes through Word/Byte with the limit
// of the block it belongs to, so no length word can lead it outside.
class TWalker {
public:
    TWalker(const std::uint8_t* data, std::size_t length, const TVersionResourceFacts& facts)
        : FData(data), FLength(length), FEnd(length), FFacts(facts) {
        if (!FFacts.IsDigit) FFacts.IsDigit = AsciiDigit;
        if (!FFacts.DecodeAnsi) FFacts.DecodeAnsi = Latin1;
    }

    TVersionResource Run() {
        if (FData == nullptr || FLength < 6) Fail();
        const std::uint16_t rootType = Word(4, FLength);
        FResult.Is16Bit = rootType != 0 && rootType != 1;
        THeader root = ReadHeader(0, FLength);
        if (root.EndMark || !SameAsciiText(root.Key, L"VS_VERSION_INFO") || root.ValueLength != 52) Fail();
        if (root.End - root.ValuePos < 52) Fail();
        FEnd = root.End;
        ReadFixedInfo(root.ValuePos);
        std::size_t d = Align4(root.ValuePos + 52);
        while (d < FEnd) {
            THeader child = ReadHeader(d, FEnd);
            if (child.EndMark) break;
            if (child.End - child.ValuePos < child.ValueLength) Fail();
            d = child.ValuePos + child.ValueLength;
            if (SameAsciiText(child.Key, L"StringFileInfo"))
                d = ReadStringTables(d, child.End);
            else if (SameAsciiText(child.Key, L"VarFileInfo"))
                d = ReadTranslation(d, child.End);
            else
                break;
        }
        return std::move(FResult);
    }

private:
    [[noreturn]] static void Fail() { throw EVtxFileVersionInfoError(SNoVersionInfo); }

    std::uint16_t Word(std::size_t pos, std::size_t limit) const {
        if (pos >= limit || limit - pos < 2) Fail();
        return static_cast<std::uint16_t>(FData[pos] | (FData[pos + 1] << 8));
    }
    std::uint32_t DWord(std::size_t pos) const {
        return static_cast<std::uint32_t>(FData[pos]) | (static_cast<std::uint32_t>(FData[pos + 1]) << 8) |
               (static_cast<std::uint32_t>(FData[pos + 2]) << 16) | (static_cast<std::uint32_t>(FData[pos + 3]) << 24);
    }

    // A zero length word ends the data only when nothing but zero bytes
    // follows up to the end of the root block.
    void RequireZerosFrom(std::size_t pos) const {
        for (std::size_t i = pos; i < FEnd; ++i)
            if (FData[i] != 0) Fail();
    }

    THeader ReadHeader(std::size_t d, std::size_t limit) const {
        THeader h;
        h.Start = h.End = h.ValuePos = d;
        if (d >= limit || limit - d < 2) {
            RequireZerosFrom(d);
            h.EndMark = true;
            return h;
        }
        h.Length = Word(d, limit);
        if (h.Length == 0) {
            RequireZerosFrom(d);
            h.EndMark = true;
            return h;
        }
        if (h.Length > limit - d) Fail();
        h.End = d + h.Length;
        std::size_t p = d + 2;
        h.ValueLength = Word(p, h.End);
        p += 2;
        if (!FResult.Is16Bit) {
            h.Type = Word(p, h.End);
            p += 2;
            for (;;) {
                std::uint16_t unit = Word(p, h.End);
                p += 2;
                if (unit == 0) break;
                h.Key += static_cast<wchar_t>(unit);
            }
        } else {
            std::size_t zero = p;
            while (zero < h.End && FData[zero] != 0) ++zero;
            if (zero >= h.End) Fail();
            h.Key = FFacts.DecodeAnsi(FData + p, zero - p);
            p = zero + 1;
        }
        // Padding after a key that nothing follows may pass the block's end;
        // it is never read.
        h.ValuePos = Align4(p) <= h.End ? Align4(p) : h.End;
        return h;
    }

    void ReadFixedInfo(std::size_t pos) {
        std::uint32_t words[13];
        for (int i = 0; i < 13; ++i) words[i] = DWord(pos + 4 * static_cast<std::size_t>(i));
        if (words[0] != VersionSignature) Fail();
        TFixedFileInfo& f = FResult.FixedInfo;
        std::uint32_t* fields[13] = {&f.dwSignature,       &f.dwStrucVersion,     &f.dwFileVersionMS, &f.dwFileVersionLS,
                                     &f.dwProductVersionMS, &f.dwProductVersionLS, &f.dwFileFlagsMask, &f.dwFileFlags,
                                     &f.dwFileOS,           &f.dwFileType,         &f.dwFileSubtype,   &f.dwFileDateMS,
                                     &f.dwFileDateLS};
        for (int i = 0; i < 13; ++i) *fields[i] = words[i];
        const std::uint32_t set = f.dwFileFlags & f.dwFileFlagsMask;
        struct {
            std::uint32_t Bit;
            TFileFlag Flag;
        } const map[] = {{0x1, TFileFlag::ffDebug},        {0x10, TFileFlag::ffInfoInferred}, {0x4, TFileFlag::ffPatched},
                         {0x2, TFileFlag::ffPreRelease},   {0x8, TFileFlag::ffPrivateBuild},  {0x20, TFileFlag::ffSpecialBuild}};
        for (const auto& m : map)
            if (set & m.Bit) FResult.FileFlags.Include(m.Flag);
    }

    // UTF-16 text from pos up to its first zero unit, at most maxUnits long;
    // it must end (by a zero or by maxUnits) inside the block.
    std::wstring WideText(std::size_t pos, std::size_t end, std::size_t maxUnits) const {
        std::wstring text;
        for (std::size_t n = 0; n < maxUnits; ++n, pos += 2) {
            std::uint16_t unit = Word(pos, end);
            if (unit == 0) break;
            text += static_cast<wchar_t>(unit);
        }
        return text;
    }

    std::wstring StringValue(const THeader& s) const {
        if (FResult.Is16Bit) {
            if (s.ValueLength == 0) return {};
            std::size_t zero = s.ValuePos;
            while (zero < s.End && FData[zero] != 0) ++zero;
            if (zero >= s.End) Fail();
            return FFacts.DecodeAnsi(FData + s.ValuePos, zero - s.ValuePos);
        }
        switch (s.Type) {
        case 1:
            return s.ValueLength == 0 ? std::wstring() : WideText(s.ValuePos, s.End, s.ValueLength);
        case 0: {
            if (s.ValueLength == 0) return {};
            if (s.End - s.ValuePos < s.ValueLength) Fail();
            if (s.ValueLength >= 5) return WideText(s.ValuePos, s.End, static_cast<std::size_t>(-1));
            std::uint32_t number = 0;
            for (std::size_t i = s.ValueLength; i-- > 0;) number = (number << 8) | FData[s.ValuePos + i];
            return L"$" + HexText(number, 2 * static_cast<std::size_t>(s.ValueLength));
        }
        default:
            Fail();
        }
    }

    // Returns where the walk goes on; stops early at an end mark.
    std::size_t ReadStringTables(std::size_t d, std::size_t blockEnd) {
        while (d < blockEnd) {
            THeader table = ReadHeader(d, blockEnd);
            if (table.EndMark) return d;
            std::wstring key = CleanLanguageKey(table.Key, FFacts.IsDigit);
            if (table.ValueLength != 0 || key.size() != 8) Fail();
            d = Align4(table.ValuePos);
            const int t = static_cast<int>(FResult.Languages.size());
            FResult.Languages.push_back({HexPart(key, 0), HexPart(key, 4)});
            while (d < table.End) {
                THeader s = ReadHeader(d, table.End);
                if (s.EndMark) return d;
                std::wstring value = StringValue(s);
                d = Align4(s.End);
                FResult.ItemList.push_back({s.Key + L"=" + value, t});
            }
        }
        return d;
    }

    std::size_t ReadTranslation(std::size_t d, std::size_t blockEnd) {
        if (d >= blockEnd) return d;
        THeader var = ReadHeader(d, blockEnd);
        if (var.EndMark) return d;
        d = var.ValuePos;
        if (!SameAsciiText(var.Key, L"Translation")) return d;
        const std::size_t count = var.ValueLength / 4;
        if ((var.End - d) / 4 < count) Fail();
        for (std::size_t i = 0; i < count; ++i, d += 4) {
            FResult.Translations.push_back({static_cast<std::uint16_t>(FData[d] | (FData[d + 1] << 8)),
                                            static_cast<std::uint16_t>(FData[d + 2] | (FData[d + 3] << 8))});
        }
        return d;
    }

    const std::uint8_t* FData;
    std::size_t FLength;
    std::size_t FEnd;  // end of the root block once it is read
    TVersionResourceFacts FFacts;
    TVersionResource FResult;
};

} // namespace

TVersionResourceFacts PortableVersionResourceFacts() noexcept { return {AsciiDigit, Latin1}; }

std::wstring CleanLanguageKey(const std::wstring& key, bool (*isDigit)(std::uint16_t)) {
    if (!isDigit) isDigit = AsciiDigit;
    // Dropping every "0x" until none is left is the same as cancelling each
    // "x" against a "0" just before it, in one pass.
    std::wstring reduced;
    reduced.reserve(key.size());
    for (wchar_t c : key) {
        if (c == L'x' && !reduced.empty() && reduced.back() == L'0')
            reduced.pop_back();
        else
            reduced += c;
    }
    std::wstring clean;
    clean.reserve(reduced.size());
    for (wchar_t c : reduced) {
        const bool hexLetter = HexDigitValue(c) >= 10;
        // Keys are UTF-16 code units even where wchar_t is wider.
        const std::uint32_t unit = static_cast<std::uint32_t>(c);
        if (hexLetter || (unit < 0x10000 && isDigit(static_cast<std::uint16_t>(unit)))) clean += c;
    }
    if (clean.size() < 8) return L"040904E4";
    return clean;
}

TVersionResource ParseVersionResource(const std::uint8_t* data, std::size_t length, const TVersionResourceFacts& facts) {
    return TWalker(data, length, facts).Run();
}

std::vector<std::wstring> TableItems(const TVersionResource& resource, int table) {
    std::vector<std::wstring> texts;
    for (const auto& item : resource.ItemList)
        if (item.Table == table) texts.push_back(item.Text);
    return texts;
}

} // namespace vtx
