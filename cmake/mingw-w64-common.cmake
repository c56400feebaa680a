# The -posix compilers: GoogleTest needs std::mutex, which the -win32 ones lack.
set(CMAKE_C_COMPILER ${VESTRANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESTRANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VESTRANE_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${VESTRANE_MINGW_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${VESTRANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Explorer cannot load an extension that needs libstdc++-6.dll or libgcc_s: link the
# runtime in, so the DLL and the program import system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
