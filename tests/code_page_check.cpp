// Run once before the Wine tests, which all depend on it: every text they compare is code
// page 932 bytes, so a process whose ANSI code page is another one fails here, loudly,
// instead of letting the tests pass or fail by accident.
#include <windows.h>

#include <cstdio>

int main() {
    const UINT codePage = GetACP();
    std::printf("ANSI code page %u\n", codePage);
    if (codePage == 932)
        return 0;
    std::printf("the Wine tests need code page 932: run them through tools/wine-run, which sets "
                "LC_ALL=ja_JP.UTF-8 (is the locale installed? tools/install-deps)\n");
    return 1;
}
