# cmake -DOBJDUMP=<objdump> -DIMAGE=<Vestrane.dll> -DMAX_BYTES=<n> -DMAP=<link map>
#       -P check_dll_image.cmake
# Reads the built DLL's export and import tables back and fails unless the export table's
# module name is VESTRANE.DLL, it exports exactly DllCanUnloadNow (ordinal 1) and
# DllGetClassObject (ordinal 2) by name, every imported DLL is a system DLL (a DLL that
# needs the MinGW runtime DLLs cannot load inside Explorer), the file is no larger than
# MAX_BYTES, and the link map holds no constructor, destructor, TLS or CRT initializer table
# (the DLL starts without the startup code that would run them).
cmake_minimum_required(VERSION 3.25)
if(NOT OBJDUMP OR NOT IMAGE OR NOT MAX_BYTES OR NOT MAP)
    message(FATAL_ERROR "usage: cmake -DOBJDUMP=... -DIMAGE=... -DMAX_BYTES=... -DMAP=... "
                        "-P check_dll_image.cmake")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${IMAGE} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${IMAGE} failed: ${result}")
endif()
set(problems "")

if(NOT dump MATCHES "\nName[ \t]+[0-9a-fA-F]+ ([^\n]*)\n")
    string(APPEND problems "no export table name\n")
elseif(NOT CMAKE_MATCH_1 STREQUAL "VESTRANE.DLL")
    string(APPEND problems "export table name is '${CMAKE_MATCH_1}', not VESTRANE.DLL\n")
endif()

if(NOT dump MATCHES "Ordinal Base[ \t]+([0-9]+)")
    string(APPEND problems "no ordinal base\n")
else()
    set(base ${CMAKE_MATCH_1})
endif()

# The export address table: one line per exported ordinal.
string(REGEX MATCH "Export Address Table -- Ordinal Base[^\n]*\n(([ \t]+\\[[^\n]*\n)*)" _ "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] \\+base" addresses "${CMAKE_MATCH_1}")
list(LENGTH addresses addressCount)
if(NOT addressCount EQUAL 2)
    string(APPEND problems "${addressCount} exported addresses, expected 2\n")
endif()

# The name table: "[index] name", index counted from the ordinal base.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(([ \t]+\\[[^\n]*\n)*)" _ "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" names "${CMAKE_MATCH_1}")
set(exports "")
foreach(entry IN LISTS names)
    string(REGEX MATCH "\\[ *([0-9]+)\\] ([^\n]+)" _ "${entry}")
    math(EXPR ordinal "${CMAKE_MATCH_1} + ${base}")
    list(APPEND exports "${ordinal}:${CMAKE_MATCH_2}")
endforeach()
if(NOT exports STREQUAL "1:DllCanUnloadNow;2:DllGetClassObject")
    string(APPEND problems "exports are '${exports}', expected '1:DllCanUnloadNow;2:DllGetClassObject'\n")
endif()

set(systemDlls advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll
               ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
    string(APPEND problems "no imports found\n")
endif()
set(importedDlls "")
foreach(entry IN LISTS imports)
    string(REGEX REPLACE "DLL Name: " "" dll "${entry}")
    string(STRIP "${dll}" dll)
    list(APPEND importedDlls ${dll})
    string(TOLOWER "${dll}" lower)
    if(NOT lower IN_LIST systemDlls)
        string(APPEND problems "imports ${dll}, which is not a system DLL\n")
    endif()
endforeach()

# An input section of these kinds in the map: its name, then (on the same line or the next)
# its address and a size other than zero.
file(READ ${MAP} map)
string(REGEX MATCHALL "\n \\.(ctors|dtors|tls|CRT\\$X)[^ \n]*[ \n]+0x[0-9a-f]+ +0x0*[1-9a-f][0-9a-f]* [^\n]+"
       startup "${map}")
foreach(entry IN LISTS startup)
    string(STRIP "${entry}" entry)
    string(REGEX REPLACE "[ \n]+" " " entry "${entry}")
    string(APPEND problems "needs startup code that it does not have: ${entry}\n")
endforeach()

file(SIZE ${IMAGE} size)
if(size GREATER MAX_BYTES)
    string(APPEND problems "is ${size} bytes, over the limit of ${MAX_BYTES}\n")
endif()

if(problems)
    message(FATAL_ERROR "${IMAGE}:\n${problems}")
endif()
message(STATUS
        "${IMAGE}: VESTRANE.DLL, ${size} bytes, exports ${exports}, imports ${importedDlls}")
