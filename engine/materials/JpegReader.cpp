#include "engine/materials/JpegReader.h"

#include <csetjmp>
#include <cstdio>
#include <utility>

#include <jpeglib.h>
#include <jerror.h>

namespace quarn {
namespace {

constexpr int kMaxScans = 500;

struct ErrorTrap {
    jpeg_error_mgr manager; // first, so libjpeg's pointer is ours
    std::jmp_buf escape;
    bool truncated = false;
    char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void ExitWithError(j_common_ptr info) {
    ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(info->err);
    info->err->format_message(info, trap->message);
    std::longjmp(trap->escape, 1);
}

// Warnings are not printed; running out of data is remembered because libjpeg only warns and
// fills the rest of the picture with grey.
void NoteMessage(j_common_ptr info, int level) {
    ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) trap->truncated = true;
}

void LimitScans(j_common_ptr info) {
    if (!info->is_decompressor) return;
    const j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->input_scan_number > kMaxScans) {
        ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(info->err);
        std::snprintf(trap->message, sizeof trap->message, "More than %d scans", kMaxScans);
        std::longjmp(trap->escape, 1);
    }
}

// Everything that must survive a longjmp lives here, outside the frame that calls setjmp.
struct DecodeState {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    jpeg_progress_mgr progress;
    Bitmap result;
    const char* failure = nullptr;
};

bool Decode(DecodeState& s, const uint8_t* data, size_t size, int64_t maxPixels) {
    if (setjmp(s.trap.escape)) return false;
    jpeg_mem_src(&s.info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&s.info, TRUE) != JPEG_HEADER_OK) {
        s.failure = "No image in JPEG data";
        return false;
    }
    if (s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK) {
        s.failure = "CMYK JPEG files are not supported";
        return false;
    }
    if (!ImageSizeAcceptable(s.info.image_width, s.info.image_height, maxPixels)) {
        s.failure = "JPEG image too large";
        return false;
    }
    s.info.out_color_space = JCS_EXT_RGBA; // libjpeg-turbo fills the fourth byte with 255
    jpeg_start_decompress(&s.info);
    const int width = static_cast<int>(s.info.output_width);
    const int height = static_cast<int>(s.info.output_height);
    if (s.info.output_components != 4 || !ImageSizeAcceptable(width, height, maxPixels)) {
        s.failure = "Unexpected JPEG output format";
        return false;
    }
    s.result.width = width;
    s.result.height = height;
    s.result.format = BitmapFormat::Rgba32;
    s.result.rows = RowOrder::BottomUp;
    s.result.pixels.resize(s.result.RowBytes() * height);
    while (s.info.output_scanline < s.info.output_height) {
        // The decoder delivers the top line first; the buffer is stored bottom-up.
        JSAMPROW row = s.result.ScanLine(static_cast<int>(s.info.output_scanline));
        if (jpeg_read_scanlines(&s.info, &row, 1) != 1) break;
        if (s.trap.truncated) break;
    }
    if (s.trap.truncated || s.info.output_scanline < s.info.output_height) {
        s.failure = "Premature end of JPEG data";
        return false;
    }
    jpeg_finish_decompress(&s.info);
    if (s.trap.truncated) {
        s.failure = "Premature end of JPEG data";
        return false;
    }
    return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, Bitmap& out, int64_t maxPixels,
                std::string* reason) {
    DecodeState s;
    s.info.err = jpeg_std_error(&s.trap.manager);
    s.trap.manager.error_exit = ExitWithError;
    s.trap.manager.emit_message = NoteMessage;
    s.progress.progress_monitor = LimitScans;
    volatile bool ok = false; // set after setjmp, read after a possible longjmp
    if (!setjmp(s.trap.escape)) {
        jpeg_create_decompress(&s.info);
        s.info.progress = &s.progress;
        ok = data && size > 0 && Decode(s, data, size, maxPixels);
        if (!data || size == 0) s.failure = "Empty JPEG data";
    }
    jpeg_destroy_decompress(&s.info);
    if (!ok) {
        if (reason) *reason = s.failure ? s.failure : s.trap.message;
        return false;
    }
    out = std::move(s.result);
    return true;
}

} // namespace quarn
