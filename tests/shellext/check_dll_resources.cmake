# cmake -DWINDRES=<windres> -DIMAGE=<Vestrane.dll> [-DSTAMP=<file>] -P check_dll_resources.cmake
# Prints the built DLL's resources back with windres and fails unless they hold, all in
# Japanese, the selection dialog 101 with its controls in tab order, icon group 102 with one
# 32 x 32 image in 16 colours, and the version block under translation 041103a4. Runs for
# both architectures: the x86 DLL cannot be loaded on this machine, but it can be read.
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

# Every resource is Japanese (windres names the language where it changes).
string(REGEX MATCHALL "\nLANGUAGE [0-9]+, [0-9]+" languages "${listing}")
if(NOT languages)
    string(APPEND problems "no LANGUAGE in the listing\n")
endif()
foreach(language IN LISTS languages)
    if(NOT language STREQUAL "\nLANGUAGE 17, 1")
        string(APPEND problems "resource language${language}, expected LANGUAGE 17, 1\n")
    endif()
endforeach()

# Texts appear as UTF-16 escapes: ワイルドカードで一括選択, ＭＳ Ｐゴシック, ｷｬﾝｾﾙ and
# the five radio button labels.
set(dialog [=[
101 DIALOG 0, 0, 120, 107
STYLE 0x80c800c0
CAPTION L"\x30ef\x30a4\x30eb\x30c9\x30ab\x30fc\x30c9\x3067\x4e00\x62ec\x9078\x629e"
FONT 9, L"\xff2d\xff33 \xff30\x30b4\x30b7\x30c3\x30af"
BEGIN
  CONTROL "", 1000, "COMBOBOX", 0x50210002, 4, 3, 112, 59
  CONTROL "OK", 1, "BUTTON", 0x50010001, 47, 90, 32, 14
  CONTROL L"\xff77\xff6c\xff9d\xff7e\xff99", 2, "BUTTON", 0x50010000, 84, 90, 32, 14
  CONTROL "", 65535, "BUTTON", 0x50000007, 4, 17, 112, 70
  CONTROL L"\x30af\x30ea\x30c3\x30d7\x30dc\x30fc\x30c9\x306b\x30b3\x30d4\x30fc(&C)", 1001, "BUTTON", 0x50000009, 10, 49, 94, 10
  CONTROL L"\x30af\x30ea\x30c3\x30d7\x30dc\x30fc\x30c9\x306b\x5207\x308a\x53d6\x308a(&T)", 1002, "BUTTON", 0x50000009, 10, 61, 97, 10
  CONTROL L"\x9078\x629e\x306e\x307f(&N)", 1005, "BUTTON", 0x50000009, 10, 73, 56, 10
  CONTROL L"\x5834\x6240\x3092\x6307\x5b9a\x3057\x3066\x30b3\x30d4\x30fc(&P)", 1006, "BUTTON", 0x50000009, 10, 25, 94, 10
  CONTROL L"\x5834\x6240\x3092\x6307\x5b9a\x3057\x3066\x79fb\x52d5(&M)", 1007, "BUTTON", 0x50000009, 10, 37, 90, 10
END
]=])

# One image: 32 x 32, 16 colours, 1 plane, 4 bits per pixel.
set(icon [=[
102 14 /* RT_GROUP_ICON */
BEGIN
   0, 1, 1,	 /* Has 1 elements.  */
    /* "width height colors pad", planes, bits, bytes, index.  */
    "\040\040\020\000", 1, 4, 0x2e8L, 1	/* Element no 1.  */
END
]=])

set(version [=[
 FILEVERSION 0, 0, 0, 2
 PRODUCTVERSION 0, 0, 0, 2
]=])
set(strings [=[
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "041103a4"
    BEGIN
      VALUE "CompanyName", ""
      VALUE "FileDescription", "Vestrane"
      VALUE "FileVersion", "0.02"
      VALUE "InternalName", "Vestrane"
      VALUE "LegalTrademarks", " "
      VALUE "OriginalFilename", "Vestrane.DLL"
      VALUE "ProductName", "Vestrane"
      VALUE "ProductVersion", "0.02"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x411, 932
  END
]=])

foreach(part IN ITEMS dialog icon version strings)
    string(FIND "${listing}" "${${part}}" at)
    if(at EQUAL -1)
        string(APPEND problems "the ${part} resource differs from:\n${${part}}\n")
    endif()
endforeach()

if(problems)
    message(FATAL_ERROR "${IMAGE}:\n${problems}\nwindres listing:\n${listing}")
endif()
if(STAMP)
    file(TOUCH ${STAMP})
endif()
