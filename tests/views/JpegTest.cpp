#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include "res/resource.h"
#include "base/Handle.h"
#include "views/JpegImage.h"
#include "views/KbxViewEasterEggs.h"
#include "helpers/TestSupport.h"
#include "views/ViewsTestSupport.h"

using namespace vtx;

namespace {
std::vector<std::uint8_t> ResourceBytes(HMODULE module, int id) {
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!info) return {};
    auto* bytes = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, info)));
    return {bytes, bytes + ::SizeofResource(module, info)};
}

// The program itself, beside the tests.
std::wstring ProgramPath() { return vtest::ExeDirectory() + L"Vantrel.exe"; }
} // namespace

TEST(Jpeg, PhotoResourceDecodesToA164SquareColourPicture) {
    TPixelImage own = LoadJpegResource(nullptr, IDR_PHOTO);
    ASSERT_FALSE(own.Empty());
    EXPECT_EQ(own.Width, 164);
    EXPECT_EQ(own.Height, 164);
    ASSERT_EQ(own.Pixels.size(), 164u * 164u * 4u);
    bool colour = false;
    for (size_t i = 0; i < own.Pixels.size() && !colour; i += 4) {
        colour = own.Pixels[i] != own.Pixels[i + 1] || own.Pixels[i + 1] != own.Pixels[i + 2];
    }
    EXPECT_TRUE(colour);

    // The program carries the same picture.
    unique_hmodule program(::LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(program) << "no Vantrel.exe beside the tests";
    TPixelImage carried = LoadJpegResource(program.get(), IDR_PHOTO);
    EXPECT_EQ(carried.Width, 164);
    EXPECT_EQ(carried.Pixels, own.Pixels);
}

TEST(Jpeg, DamagedBytesGiveAnEmptyImage) {
    std::vector<std::uint8_t> good = ResourceBytes(nullptr, IDR_PHOTO);
    ASSERT_GT(good.size(), 600u);
    ASSERT_FALSE(DecodeJpeg(good.data(), good.size()).Empty());

    std::vector<std::vector<std::uint8_t>> damaged;
    damaged.push_back({});                                                   // nothing
    damaged.push_back(std::vector<std::uint8_t>(500, 0x5A));                 // not a JPEG
    damaged.push_back({good.begin(), good.begin() + 20});                    // header cut short
    damaged.push_back({good.begin(), good.begin() + good.size() / 2});       // data cut short
    auto flipped = good;
    for (size_t i = good.size() / 3; i < good.size() / 3 + 64; ++i) flipped[i] ^= 0xA5;
    damaged.push_back(flipped);                                              // scrambled entropy data
    auto noFrame = good;
    for (size_t i = 2; i + 1 < noFrame.size(); ++i)
        if (noFrame[i] == 0xFF && noFrame[i + 1] == 0xC0) noFrame[i + 1] = 0xCF; // unsupported frame type
    damaged.push_back(noFrame);

    for (size_t i = 0; i < damaged.size(); ++i) {
        TPixelImage image = DecodeJpeg(damaged[i].data(), damaged[i].size());
        EXPECT_TRUE(image.Empty()) << "case " << i;
        EXPECT_TRUE(image.Pixels.empty()) << "case " << i;
    }
    EXPECT_TRUE(DecodeJpeg(nullptr, 100).Empty());
    // And decoding still works afterwards.
    EXPECT_EQ(DecodeJpeg(good.data(), good.size()).Width, 164);
}

TEST(Jpeg, InformationWindowShowsThePhotograph) {
    vtest::MainForm();
    TEasterEggsForm form;
    EXPECT_TRUE(form.Image1->HasPicture());
    EXPECT_EQ(form.Image1->PictureWidth(), 164);
    // An empty picture clears it instead of failing.
    form.Image1->SetPicture(TPixelImage{});
    EXPECT_FALSE(form.Image1->HasPicture());
}
