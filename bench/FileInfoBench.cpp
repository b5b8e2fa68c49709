// Cost of the version walk, the reader on real files and the cache lookup;
// medians of repeated runs, printed.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "helpers/Bench.h"
#include "helpers/TestSupport.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "fileinfo/VtxFileUtils.h"

using namespace vtx;

namespace {

using vtest::MedianPerCallUs;
using vtest::SystemFile;

} // namespace

int wmain() {
    const std::wstring kernel = SystemFile(L"kernel32.dll");
    DWORD handle = 0;
    std::vector<DWORD> data((::GetFileVersionInfoSizeW(kernel.c_str(), &handle) + 3) / 4);
    ::GetFileVersionInfoW(kernel.c_str(), handle, static_cast<DWORD>(data.size() * 4), data.data());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    volatile std::size_t sink = 0;

    const double walk = MedianPerCallUs(15, 2000, [&](int) {
        sink = sink + ParseVersionResource(bytes, data.size() * 4, SystemVersionResourceFacts()).ItemList.size();
    });
    const double reader = MedianPerCallUs(15, 200, [&](int) { sink = sink + TVtxFileVersionInfo(kernel).FileVersion().size(); });
    const double readable = MedianPerCallUs(15, 200, [&](int) { sink = sink + FileVersionInfoReadable(kernel); });
    vtest::PrintFigures("bench_fileinfo", "us (median)",
                        {{"walk of kernel32's resource", walk},
                         {"reader on kernel32.dll", reader},
                         {"readability test (one fetch)", readable}});

    // A cache of 3000 names, as after a long run; lookups of the last name
    // (the worst case of a scan from the first item).
    TFileInfoCache cache;
    for (int i = 0; i < 3000; ++i)
        cache.Add(std::make_unique<TFileInfoItem>(L"System Idle Process " + std::to_wstring(i), L"", TIconType::itExtension));
    const std::wstring last = L"System Idle Process 2999";
    const double indexed = MedianPerCallUs(15, 20000, [&](int) { sink = sink + (cache.Find(last) != nullptr); });
    const double scanned = MedianPerCallUs(15, 2000, [&](int) {
        for (int i = 0; i < cache.Count(); ++i)
            if (cache.Items(i).Filename() == last) {
                sink = sink + i;
                break;
            }
    });
    vtest::PrintFigures("bench_fileinfo", "us (median)",
                        {{"lookup in 3000 items, index", indexed}, {"lookup in 3000 items, scan", scanned}});
    // New names for the same real file: its path in other letter cases.
    int variant = 0;
    const auto newItem = [&](TIconType kind) {
        std::wstring name = kernel;
        int bits = ++variant;
        for (auto& c : name)
            if (iswalpha(c)) {
                if (bits & 1) c = static_cast<wchar_t>(towupper(c));
                bits >>= 1;
            }
        sink = sink + GetFileInfoItem(name, L"", kind).Version().size();
    };
    const double createdFile = MedianPerCallUs(5, 20, [&](int) { newItem(TIconType::itFile); });
    const double createdExt = MedianPerCallUs(5, 20, [&](int) { newItem(TIconType::itExtension); });

    vtest::PrintFigures("bench_fileinfo", "us (median)",
                        {{"new item for kernel32, itFile", createdFile}, {"new item for kernel32, itExt", createdExt}});
    return 0;
}
