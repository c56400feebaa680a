# What a Windows user downloads, Vestrane.dll and Vestinst.exe, is built small: the code that
# goes into them is compiled for size, without exceptions or RTTI (nothing in it throws, so
# the runtime's unwinder and terminate handler stay out), each function and object in its own
# section so the linker drops what nobody calls. The flags hold in every build, so the tests
# link and load exactly the code that ships; the objects keep their debug information for
# the tests, and only the two deliverables are stripped at link.

set(VESTRANE_MAX_DELIVERABLE_BYTES 65536
    CACHE STRING "Largest size in bytes of Vestrane.dll and of Vestinst.exe")

# vestrane_lean_code(TARGET...): the code of the deliverables (MinGW builds only; the native
# builds keep their flags for the benchmarks and sanitizers).
function(vestrane_lean_code)
    if(NOT WIN32)
        return()
    endif()
    set(flags -Os -g -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        # x86 has no table-based SEH: its DWARF unwind tables serve only C++ exceptions.
        list(APPEND flags -fno-asynchronous-unwind-tables)
    endif()
    foreach(target IN LISTS ARGN)
        target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${flags}>")
    endforeach()
endfunction()

# vestrane_deliverable(TARGET): unused sections dropped, symbols stripped, and the allocation
# operators that do without the exception runtime.
function(vestrane_deliverable target)
    vestrane_lean_code(${target})
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/runtime/nothrow_new.cpp)
    # Windows 7 (6.1) is the oldest Windows the programs run on: they call functions that
    # came with Vista and 7 (CompareStringOrdinal, GetFileInformationByHandleEx, RegGetValueW,
    # IFolderView2, ExplorerBrowser's interfaces); the image says so, and Windows refuses it
    # on anything older.
    target_link_options(${target} PRIVATE -Wl,--gc-sections -s -Wl,--major-os-version,6
                        -Wl,--minor-os-version,1 -Wl,--major-subsystem-version,6
                        -Wl,--minor-subsystem-version,1)
endfunction()
