/* Rastero: the one exported function of the BrelvinBMPPixelate module.
 *
 * A host includes this header and either links the module or loads it at run time and looks up
 * "RasteroPixelate" (the type RasteroPixelateFunction fits the looked-up address). The header is
 * valid C and C++. */
#ifndef RASTERO_PIXELATE_H
#define RASTERO_PIXELATE_H

#include <stdint.h>

#if defined(_WIN32)
/* Windows paths are the platform's 16-bit wide strings. */
typedef wchar_t RasteroWideChar;
#elif defined(__cplusplus)
typedef char16_t RasteroWideChar;
#else
/* What C11's <uchar.h> calls char16_t. */
typedef uint_least16_t RasteroWideChar;
#endif

#if defined(_WIN32)
#if defined(RASTERO_BUILDING_MODULE)
#define RASTERO_EXPORT __declspec(dllexport)
#else
#define RASTERO_EXPORT __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define RASTERO_EXPORT __attribute__((visibility("default")))
#else
#define RASTERO_EXPORT
#endif

/* The only two results RasteroPixelate gives. */
#define RASTERO_PIXELATE_LOAD_FAILED 1
#define RASTERO_PIXELATE_DONE 999

#ifdef __cplusplus
extern "C" {
#endif

/* Loads the bitmap at inputPath, covers the rectangle with one-colour blocks (corners 20 pixels
 * apart from (left, top) while left of right and above bottom, each 21 x 21 pixels in the colour
 * of the pixel one step inside its corner) and writes the result to outputPath at the input's own
 * bit depth, palette and resolution.
 *
 * Paths are zero-terminated UTF-16 strings (on Windows: wide strings, converted to the system's
 * code page). Returns RASTERO_PIXELATE_LOAD_FAILED (1) when the input cannot be loaded; nothing is
 * then written and the output path is not looked at. Returns RASTERO_PIXELATE_DONE (999)
 * otherwise, whether or not the output could be written. Calls with different files share
 * nothing and may run at the same time on different threads. */
RASTERO_EXPORT int32_t RasteroPixelate(const RasteroWideChar* inputPath,
                                       const RasteroWideChar* outputPath, int32_t left,
                                       int32_t top, int32_t right, int32_t bottom);

typedef int32_t (*RasteroPixelateFunction)(const RasteroWideChar* inputPath,
                                           const RasteroWideChar* outputPath, int32_t left,
                                           int32_t top, int32_t right, int32_t bottom);

#ifdef __cplusplus
}
#endif

#endif /* RASTERO_PIXELATE_H */
