// Cost of the about box's pieces: decoding the photograph and building a
// filled box (with its information window). Medians of repeated runs.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#include "res/resource.h"
#include "helpers/Bench.h"
#include "views/JpegImage.h"
#include "views/KbxViewAbout.h"
#include "views/ViewsTestSupport.h"

using vtest::MedianMs;

int wmain() {
    using namespace vtx;
    vtest::MainForm();
    int width = 0;
    double decode = MedianMs(51, [&] { width += LoadJpegResource(nullptr, IDR_PHOTO).Width; });
    double box = MedianMs(15, [] {
        TfrmAbout about;
        about.FillIn(2002, 2026, 6, 225);
    });
    std::printf("bench_views: photograph decode %.3f ms (164 x 164, %s)\n", decode, width ? "ok" : "FAILED");
    std::printf("bench_views: about box built and filled %.2f ms\n", box);
    return width ? 0 : 1;
}
