#pragma once
/* cvpsmrc: the high-compression PDF component the scan utility loads by
 * name. Three entry points, exported under exactly these names. They use
 * the platform's default C calling convention (cdecl on 32-bit Windows:
 * the caller removes the arguments, and the export names carry no "@n");
 * a caller declares its pointers with the types below. Every argument is
 * 32 bits wide in the 32-bit build; 0 means success. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Seven 32-bit values in the 32-bit program: 1, four empty strings, -1, -1. */
typedef struct SInitOptions {
    int32_t kind;
    const char *text1;
    const char *text2;
    const char *text3;
    const char *text4;
    int32_t value1;
    int32_t value2;
} SInitOptions;

/* 2 and the program's folder (no trailing backslash). */
typedef struct SFolderOptions {
    int32_t kind;
    const char *programFolder;
} SFolderOptions;

int32_t CVMRCPDFInit(const char *outputPdfPath, int32_t one, const SInitOptions *opts,
                     const SFolderOptions *folder, int32_t zero);
int32_t CVMRCPDFFile(const char *inputTiffPath, int32_t zero, const int32_t *sixValues,
                     int32_t zero2);
int32_t CVMRCPDFEnd(void);

typedef int32_t (*CVMRCPDFInitFn)(const char *, int32_t, const SInitOptions *,
                                  const SFolderOptions *, int32_t);
typedef int32_t (*CVMRCPDFFileFn)(const char *, int32_t, const int32_t *, int32_t);
typedef int32_t (*CVMRCPDFEndFn)(void);

#ifdef __cplusplus
}
#endif
