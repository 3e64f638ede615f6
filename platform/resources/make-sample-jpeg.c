/* Writes images/quarn_checker.jpg, the JPEG compiled into the engine library as a resource:
 * 16 x 8 pixels, left half red, right half blue, quality 95, no chroma subsampling.
 * Build and run: cc make-sample-jpeg.c -ljpeg -o /tmp/mkjpeg && /tmp/mkjpeg
 * images/quarn_checker.jpg */
#include <stdio.h>

#include <jpeglib.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    FILE* out = fopen(argv[1], "wb");
    if (!out) return 1;
    struct jpeg_compress_struct info;
    struct jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = 16;
    info.image_height = 8;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    for (int c = 0; c < 3; ++c)
        info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    unsigned char row[16 * 3];
    for (int x = 0; x < 16; ++x) {
        row[3 * x] = x < 8 ? 255 : 0;
        row[3 * x + 1] = 0;
        row[3 * x + 2] = x < 8 ? 0 : 255;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    fclose(out);
    return 0;
}
