/* Wine's loader as a program at a fixed address, for the i386 emulation.
 *
 * Debian 13 builds /usr/lib/wine/wine position-independent, and qemu-i386
 * loads such a program at 0x400000, the base of every Windows program without
 * relocations (SETUP.EXE's): Wine then cannot map their images. This loader
 * does what Wine's does without a preloader, from 0x7d000000, and stands in
 * for it inside the emulation's own mount namespace only. */
#include <dlfcn.h>
#include <stdio.h>

extern char** environ;

int main(int argc, char* argv[]) {
    /* Debian's place for it, on both releases. */
    void* ntdll = dlopen("/usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so", RTLD_NOW);
    if (!ntdll) {
        fprintf(stderr, "wine loader: %s\n", dlerror());
        return 1;
    }
    void (*wine_main)(int, char**, char**) =
        (void (*)(int, char**, char**))dlsym(ntdll, "__wine_main");
    if (!wine_main) {
        fprintf(stderr, "wine loader: ntdll.so has no __wine_main\n");
        return 1;
    }
    wine_main(argc, argv, environ);
    return 1;
}
