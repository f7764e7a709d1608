/* Host-side reference decoder for the About box tests: decodes a JPEG file
 * with the host's JPEG library into a binary PPM (P6) file.
 *   jpeg_to_ppm in.jpg out.ppm */
#include <stdio.h>
#include <stdlib.h>
#include <jpeglib.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s in.jpg out.ppm\n", argv[0]);
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (!in) {
        perror(argv[1]);
        return 1;
    }
    struct jpeg_decompress_struct info;
    struct jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    size_t stride = (size_t)info.output_width * info.output_components;
    unsigned char* row = malloc(stride);
    FILE* out = fopen(argv[2], "wb");
    if (!row || !out) {
        perror(argv[2]);
        return 1;
    }
    fprintf(out, "P6\n%u %u\n255\n", info.output_width, info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&info, rows, 1);
        fwrite(row, 1, stride, out);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    fclose(in);
    fclose(out);
    free(row);
    return err.num_warnings ? 1 : 0;
}
