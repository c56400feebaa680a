// Run once before the Wine tests, which all depend on it: they run in the Japanese locale (its
// texts, ANSI code page 932), so a process in another locale fails here, loudly, instead of
// letting the tests pass or fail by accident. With an argument, the code page
// that a second locale must give (tests that must not depend on the code page run there).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const UINT expected = argc > 1 ? static_cast<UINT>(std::atoi(argv[1])) : 932;
    const UINT codePage = GetACP();
    std::printf("ANSI code page %u\n", codePage);
    if (codePage == expected)
        return 0;
    std::printf("these Wine tests need code page %u: run them through tools/wine-run, which sets "
                "LC_ALL=ja_JP.UTF-8, or VESTRANE_WINE_LOCALE when given (is the locale "
                "installed? tools/install-deps)\n",
                expected);
    return 1;
}
