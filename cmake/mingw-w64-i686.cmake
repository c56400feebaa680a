# Cross build for 32-bit Windows. Nothing of it runs here: 32-bit code cannot execute on
# these machines, so the build is compiled, linked and inspected only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(VESTRANE_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
