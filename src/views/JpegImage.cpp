#include "views/JpegImage.h"
#include <csetjmp>
#include <cstdio>
#include <new>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace vtx {

namespace {

struct TJpegErrorManager {
    jpeg_error_mgr Public;
    std::jmp_buf Escape;
};

// libjpeg is plain C: its errors leave through longjmp, and nothing with a
// destructor lives in the frames between here and the setjmp.
[[noreturn]] void ErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<TJpegErrorManager*>(info->err);
    std::longjmp(manager->Escape, 1);
}

// Warnings (level -1) mean corrupt data: a damaged picture counts as none.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0) ErrorExit(info);
}

void OutputMessage(j_common_ptr) {}

// Allocation happens in the caller's C++ frame, before any jump can occur.
using TAllocate = unsigned char* (*)(void* context, int width, int height);

// Fills 32-bit rows that allocate hands out; false on any decoding error.
bool DecodeRows(const unsigned char* data, unsigned long length, TAllocate allocate, void* context) {
    jpeg_decompress_struct info;
    TJpegErrorManager errors;
    info.err = jpeg_std_error(&errors.Public);
    errors.Public.error_exit = ErrorExit;
    errors.Public.emit_message = EmitMessage;
    errors.Public.output_message = OutputMessage;
    if (setjmp(errors.Escape)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), length);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    unsigned char* pixels = allocate(context, width, height);
    if (!pixels || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               info.output_width * 3, 1);
    while (info.output_scanline < info.output_height) {
        unsigned char* out = pixels + static_cast<size_t>(info.output_scanline) * width * 4;
        jpeg_read_scanlines(&info, row, 1);
        const unsigned char* in = row[0];
        for (int x = 0; x < width; ++x, in += 3, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 0;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

unsigned char* AllocatePixels(void* context, int width, int height) {
    auto* image = static_cast<TPixelImage*>(context);
    try {
        image->Pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    image->Width = width;
    image->Height = height;
    return image->Pixels.data();
}

} // namespace

TPixelImage DecodeJpeg(const void* data, std::size_t length) noexcept {
    TPixelImage image;
    if (!data || length == 0 || length > 0x7FFFFFFF) return image;
    if (!DecodeRows(static_cast<const unsigned char*>(data), static_cast<unsigned long>(length), AllocatePixels,
                    &image)) {
        return TPixelImage{};
    }
    return image;
}

TPixelImage LoadJpegResource(HMODULE module, int id) noexcept {
    if (!module) module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!info) return {};
    HGLOBAL loaded = ::LoadResource(module, info);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    return DecodeJpeg(bytes, ::SizeofResource(module, info));
}

} // namespace vtx
