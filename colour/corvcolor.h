/* corvcolor: preview colour conversion for the scan preview tools.
 *
 * Calling convention: every export has C linkage and is __stdcall in the
 * 32-bit Windows DLL (callee pops its 12 or 8 argument bytes, the Win32 API
 * convention), exported under its plain name without "@n" decoration.
 * Elsewhere the platform's default C convention applies.
 *
 * Buffers: input images are rows of packed pixels, top row first, no row
 * padding: srcWidth * srcHeight * 3 bytes (colour) or srcWidth * srcHeight
 * bytes (grey). The output image has rows padded with zero bytes to a multiple
 * of 4: ((width * channels + 3) & ~3) * height bytes, where width and height
 * are the output size, or the area size when no output size is given. Every
 * byte count involved must stay below 2^31.
 *
 * Pixel order: SC_preview reads the scanner's luminance/chroma preview
 * (byte 0 Y, byte 1 Cb, byte 2 Cr) and writes display pixels in blue, green,
 * red order, as Windows DIB rows hold them. SC_ICCpreview and SC_sRGBpreview
 * read and write display pixels (blue, green, red); the spot function for
 * colour samples byte 0 of each pixel.
 *
 * Return values: the preview functions return 0 on success and -1 on bad
 * parameters or exhausted memory (the output is then unspecified). The spot
 * functions return the spot average (0..255) on success and -1 on failure.
 * Every size, area and offset is checked against the declared image before
 * any pixel is read or written; the buffers themselves must be as large as
 * the block declares.
 */
#ifndef CORVCOLOR_H
#define CORVCOLOR_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define SC_API __stdcall
#else
#define SC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define SC_CURVE_ENTRIES 4096

/* One block per preview call. All fields are 32-bit except the curve table,
 * which is held inline so the block has the same layout in every build. */
typedef struct SC_PREVIEWPARAM {
    int32_t srcWidth;
    int32_t srcHeight;
    int32_t areaLeft;
    int32_t areaTop;
    int32_t areaWidth;
    int32_t areaHeight;
    int32_t outWidth; /* outWidth and outHeight both 0: no scaling */
    int32_t outHeight;
    /* Filter: on when sharpMode is not 2 or a switch is set. The switches
     * pick the family: neither = sharpening, switch 1 = fine-detail
     * sharpening, switch 2 = smoothing, both = halftone smoothing that keeps
     * mid frequencies. Strength 0 (mild) .. 4 (strong); other values count
     * as 2. The filter reads up to 2 pixels beyond the area where the image
     * has them. */
    int32_t sharpSwitch1;
    int32_t sharpSwitch2;
    int32_t sharpMode;
    int32_t sharpStrength;
    /* Adjustments, 0 = no change, positive = more:
     * SC_preview: hue (0.2 degree per unit, positive turns blue towards
     *   red), saturation, lightness; each limited to -1000..1000.
     * SC_sRGBpreview: saturation, brightness (+-0.5 level per unit),
     *   contrast (about white); each limited to -100..100.
     * SC_Graypreview: contrast (about black, 0.2 % per unit), -, -. */
    int32_t adjust1;
    int32_t adjust2;
    int32_t adjust3;
    /* Tone (SC_preview, SC_Graypreview): levels, then v -> v^(gamma/18).
     * gamma in tenths, 18 = neutral, above 18 darkens the mid tones; must
     * be > 0. highlight 255 and shadow 0 are neutral and must differ; a
     * shadow above the highlight inverts. */
    int32_t gamma;
    int32_t highlight;
    int32_t shadow;
    int32_t curveSwitch;
    uint16_t curve[SC_CURVE_ENTRIES]; /* 12-bit in, 12-bit out (larger values count as 4095) */
} SC_PREVIEWPARAM;

/* The spot functions read the same block layout: width, height, the spot
 * centre, fields they ignore, then the curve switch and table. */
typedef struct SC_SPOTPARAM {
    int32_t width;
    int32_t height;
    int32_t x;
    int32_t y;
    int32_t unused[14];
    int32_t curveSwitch;
    uint16_t curve[SC_CURVE_ENTRIES];
} SC_SPOTPARAM;

int SC_API SC_preview(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM *param);
int SC_API SC_ICCpreview(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM *param);
int SC_API SC_sRGBpreview(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM *param);
int SC_API SC_Graypreview(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM *param);
int SC_API SC_proc_spoitL(const uint8_t *in, const SC_SPOTPARAM *param);
int SC_API SC_grayproc_spoitL(const uint8_t *in, const SC_SPOTPARAM *param);

#ifdef __cplusplus
}
#endif

#endif
