#include "about/JpegPicture.h"

#include <csetjmp>
#include <cstdio>
// The JPEG library's header needs FILE declared first.
#include <jpeglib.h>

namespace purgelet {

namespace {
// The library reports a fatal error through error_exit, which must not
// return to it; this one jumps back to the decoding routine instead of
// ending the process.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

// Messages would go to stderr; a windowed program has none. Warnings are
// still counted by the library.
void OutputMessage(j_common_ptr) {}

struct Decoder {
    jpeg_decompress_struct info{};
    ErrorManager error{};
};

// Everything that changes after setjmp lives in `d` and `out`, which stay in
// memory, so the jump back finds it as it was.
bool Decode(Decoder& d, const std::uint8_t* data, std::size_t size, RgbPicture& out) {
    d.info.err = jpeg_std_error(&d.error.pub);
    d.error.pub.error_exit = ErrorExit;
    d.error.pub.output_message = OutputMessage;
    if (setjmp(d.error.jump)) {
        jpeg_destroy_decompress(&d.info);
        return false;
    }
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.info, TRUE);
    d.info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&d.info);
    const bool usable = d.info.output_components == 3 && d.info.output_width > 0 && d.info.output_height > 0 &&
                        d.info.output_width <= kMaxJpegSide && d.info.output_height <= kMaxJpegSide &&
                        d.error.pub.num_warnings == 0;
    if (!usable) {
        jpeg_destroy_decompress(&d.info);
        return false;
    }
    out.width = static_cast<int>(d.info.output_width);
    out.height = static_cast<int>(d.info.output_height);
    const std::size_t stride = static_cast<std::size_t>(out.width) * 3;
    out.rgb.assign(stride * static_cast<std::size_t>(out.height), 0);
    jpeg_start_decompress(&d.info);
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = out.rgb.data() + stride * d.info.output_scanline;
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) break;
    }
    const bool complete = d.info.output_scanline == d.info.output_height;
    if (complete) jpeg_finish_decompress(&d.info);
    const bool clean = complete && d.error.pub.num_warnings == 0;
    jpeg_destroy_decompress(&d.info);
    return clean;
}
}  // namespace

std::optional<RgbPicture> DecodeJpeg(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0 || size > 0xFFFFFFFFu) return std::nullopt;
    Decoder decoder;
    RgbPicture picture;
    if (!Decode(decoder, data, size, picture)) return std::nullopt;
    return picture;
}

}  // namespace purgelet
