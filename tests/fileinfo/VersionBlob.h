// Builds version resources byte by byte, in the 32-bit or the 16-bit form,
// for the walk's tests and the fuzzer's seeds. Lengths are worked out unless
// a test overrides them to plant a fault.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vblob {

using Bytes = std::vector<std::uint8_t>;

struct Node {
    std::wstring Key;
    std::uint16_t Type = 1;
    Bytes Value;
    int ValueLength = -1;  // -1: characters of a text value, bytes otherwise
    int Length = -1;       // -1: up to the end of the last child or value
    std::vector<Node> Children;
};

inline Bytes Utf16(const std::wstring& text, bool zero = true) {
    Bytes out;
    for (wchar_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    if (zero) out.insert(out.end(), {0, 0});
    return out;
}

inline Node Text(const std::wstring& key, const std::wstring& value) {
    Node n{key, 1, Utf16(value), static_cast<int>(value.size() + 1)};
    return n;
}
inline Node Binary(const std::wstring& key, Bytes value) { return Node{key, 0, std::move(value)}; }
inline Node Block(const std::wstring& key, std::vector<Node> children) {
    Node n{key, 1};
    n.ValueLength = 0;
    n.Children = std::move(children);
    return n;
}
inline Node Translation(std::vector<std::uint32_t> pairs) {
    Node n{L"Translation", 0};
    for (auto p : pairs)
        for (int i = 0; i < 4; ++i) n.Value.push_back(static_cast<std::uint8_t>(p >> (8 * i)));
    return n;
}

struct Fixed {
    std::uint32_t Words[13] = {0xFEEF04BD, 0x00010000, 0x00010002, 0x00030004, 0x00050006, 0x00070008,
                               0x3F, 0x0B, 0x40004, 1, 0, 0, 0};
};
inline Node Root(std::vector<Node> children, const Fixed& fixed = {}, const std::wstring& key = L"VS_VERSION_INFO") {
    Node n{key, 0};
    for (auto w : fixed.Words)
        for (int i = 0; i < 4; ++i) n.Value.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    n.Children = std::move(children);
    return n;
}

inline void Pad(Bytes& out) {
    while (out.size() % 4) out.push_back(0);
}
inline void Put16(Bytes& out, std::size_t at, int value) {
    out[at] = static_cast<std::uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// wide: the 32-bit form; otherwise the 16-bit form with one byte per key and
// value character (values taken from the low bytes of the UTF-16 text).
inline void WriteNode(Bytes& out, const Node& n, bool wide) {
    Pad(out);
    const std::size_t start = out.size();
    out.insert(out.end(), {0, 0, 0, 0});
    if (wide) out.insert(out.end(), {static_cast<std::uint8_t>(n.Type), static_cast<std::uint8_t>(n.Type >> 8)});
    if (wide) {
        Bytes key = Utf16(n.Key);
        out.insert(out.end(), key.begin(), key.end());
    } else {
        for (wchar_t c : n.Key) out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    Pad(out);
    Bytes value = n.Value;
    int valueLength = n.ValueLength;
    if (!wide && n.Type == 1 && !value.empty()) {
        Bytes narrow;
        for (std::size_t i = 0; i < value.size(); i += 2) narrow.push_back(value[i]);
        value = narrow;
        if (valueLength < 0) valueLength = static_cast<int>(value.size());
    }
    if (valueLength < 0) valueLength = static_cast<int>(n.Type == 1 && wide ? value.size() / 2 : value.size());
    out.insert(out.end(), value.begin(), value.end());
    for (const Node& child : n.Children) WriteNode(out, child, wide);
    Put16(out, start, n.Length >= 0 ? n.Length : static_cast<int>(out.size() - start));
    Put16(out, start + 2, valueLength);
}

inline Bytes Write(const Node& root, bool wide = true) {
    Bytes out;
    WriteNode(out, root, wide);
    return out;
}

// A resource like the ones resource compilers make: two string tables
// (U.S. English first, then German) and the translation entry.
inline Node TwoTableResource() {
    return Root({
        Block(L"StringFileInfo",
              {Block(L"040904B0", {Text(L"CompanyName", L"Quelmar"), Text(L"ProductName", L"  Vantrel  "),
                                   Text(L"FileVersion", L"0.6.0.225")}),
               Block(L"040704B0", {Text(L"CompanyName", L"Quelmar GmbH"), Text(L"ProductName", L"Vantrel DE")})}),
        Block(L"VarFileInfo", {Translation({0x04B00409, 0x04B00407})}),
    });
}

} // namespace vblob
