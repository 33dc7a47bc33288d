/* A host written in C: includes the public header as C, loads the module at run time and
 * pixelates a file. Usage: CHost MODULE INPUT OUTPUT (ASCII paths). */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "rastero/RasteroPixelate.h"

static RasteroWideChar* Widen(const char* ascii) {
    size_t length = strlen(ascii);
    RasteroWideChar* wide = malloc((length + 1) * sizeof *wide);
    if (wide == NULL) return NULL;
    for (size_t i = 0; i <= length; ++i) wide[i] = (RasteroWideChar)(unsigned char)ascii[i];
    return wide;
}

static int Expect(const char* name, int32_t have, int32_t want) {
    if (have == want) return 0;
    fprintf(stderr, "%s: have %d, want %d\n", name, (int)have, (int)want);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: CHost MODULE INPUT OUTPUT\n");
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW);
    if (module == NULL) {
        fprintf(stderr, "cannot load the module: %s\n", dlerror());
        return 1;
    }
    RasteroPixelateFunction pixelate;
    /* dlsym returns an object pointer; copying its bytes is the portable way to a function. */
    void* address = dlsym(module, "RasteroPixelate");
    memcpy(&pixelate, &address, sizeof pixelate);
    RasteroWideChar* input = Widen(argv[2]);
    RasteroWideChar* output = Widen(argv[3]);
    RasteroWideChar* missing = Widen("/no/such/folder/picture.bmp");
    int failures = 0;
    if (address == NULL || input == NULL || output == NULL || missing == NULL) {
        fprintf(stderr, "setup failed\n");
        failures = 1;
    } else {
        failures += Expect("an existing input", pixelate(input, output, 100, 60, 200, 140),
                           RASTERO_PIXELATE_DONE);
        FILE* written = fopen(argv[3], "rb");
        if (written == NULL) {
            fprintf(stderr, "no output file\n");
            ++failures;
        } else {
            fclose(written);
        }
        failures += Expect("a missing input", pixelate(missing, output, 0, 0, 20, 20),
                           RASTERO_PIXELATE_LOAD_FAILED);
    }
    free(input);
    free(output);
    free(missing);
    dlclose(module);
    return failures == 0 ? 0 : 1;
}
