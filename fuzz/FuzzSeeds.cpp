// Writes the seed corpus: hand-built resources of both forms, and the version
// data of any compiled .res files named on the command line.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>
#include "fileinfo/VersionBlob.h"

using namespace vblob;

namespace {

void Save(const std::string& dir, const std::string& name, const Bytes& bytes) {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// The data of every RT_VERSION (16) entry of a .res file.
std::vector<Bytes> VersionEntries(const Bytes& res) {
    std::vector<Bytes> found;
    std::size_t at = 0;
    while (at + 12 <= res.size()) {
        const std::uint32_t dataSize = Le32(res, at), headerSize = Le32(res, at + 4);
        if (headerSize < 12 || at + headerSize + dataSize > res.size()) break;
        const bool version = res[at + 8] == 0xFF && res[at + 9] == 0xFF && res[at + 10] == 16 && res[at + 11] == 0;
        if (version && dataSize) found.emplace_back(res.begin() + static_cast<std::ptrdiff_t>(at + headerSize),
                                                    res.begin() + static_cast<std::ptrdiff_t>(at + headerSize + dataSize));
        at = (at + headerSize + dataSize + 3) & ~static_cast<std::size_t>(3);
    }
    return found;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s corpus-dir [file.res ...]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    Save(dir, "two-tables", Write(TwoTableResource()));
    Save(dir, "two-tables-16", Write(TwoTableResource(), false));
    Save(dir, "root-only", Write(Root({})));
    Save(dir, "binary-values",
         Write(Root({Block(L"StringFileInfo", {Block(L"0x0409 0x04B0", {Binary(L"B1", {5}), Binary(L"B2", {0xCD, 0xAB}),
                                                                        Binary(L"B4", {0x78, 0x56, 0x34, 0x12}),
                                                                        Binary(L"B8", Utf16(L"text"))})})})));
    int n = 0;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const Bytes res((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (const Bytes& entry : VersionEntries(res)) Save(dir, "res-" + std::to_string(n++), entry);
    }
    return 0;
}
