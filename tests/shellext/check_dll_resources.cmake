# cmake -DWINDRES=<windres> -DIMAGE=<Vestrane.dll> [-DSTAMP=<file>] -P check_dll_resources.cmake
# Prints the built DLL's resources back with windres and fails unless they hold, in Japanese
# and in English, the selection dialog 101 and the string table, the icon group 102 with one
# image and the version block under translation 041103a4. Runs for both architectures: the
# x86 DLL cannot be loaded on this machine, but it can be read.
cmake_minimum_required(VERSION 3.25)
if(NOT WINDRES OR NOT IMAGE)
    message(FATAL_ERROR "usage: cmake -DWINDRES=... -DIMAGE=... -P check_dll_resources.cmake")
endif()
execute_process(COMMAND ${WINDRES} -i ${IMAGE} -O rc OUTPUT_VARIABLE listing
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${WINDRES} -i ${IMAGE} -O rc failed: ${result}")
endif()
set(problems "")

# Japanese (17, 1) and English (9, 1), and no other language (windres names the language
# where it changes).
string(REGEX MATCHALL "\nLANGUAGE [0-9]+, [0-9]+" languages "${listing}")
foreach(wanted IN ITEMS "\nLANGUAGE 17, 1" "\nLANGUAGE 9, 1")
    if(NOT wanted IN_LIST languages)
        string(APPEND problems "no resource of${wanted}\n")
    endif()
endforeach()
foreach(language IN LISTS languages)
    if(NOT language STREQUAL "\nLANGUAGE 17, 1" AND NOT language STREQUAL "\nLANGUAGE 9, 1")
        string(APPEND problems "resource language${language}, expected Japanese or English\n")
    endif()
endforeach()

# The resources are there, under the ids the code uses: the selection dialog, the icon group
# (one image) and the version block of translation 041103a4. What they hold is checked once,
# on the x64 DLL loaded under Wine (dll_resources_test).
foreach(part IN ITEMS "\n101 DIALOG " "\n102 14 " "\n   0, 1, 1," "BLOCK \"041103a4\""
                      "VALUE \"Translation\", 0x411, 932")
    string(FIND "${listing}" "${part}" at)
    if(at EQUAL -1)
        string(APPEND problems "the listing lacks [${part}]\n")
    endif()
endforeach()

if(problems)
    message(FATAL_ERROR "${IMAGE}:\n${problems}\nwindres listing:\n${listing}")
endif()
if(STAMP)
    file(TOUCH ${STAMP})
endif()
