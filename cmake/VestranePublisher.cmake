# The publisher of a signed release's Windows 11 package: the subject of the signing
# certificate, written as Windows writes it (tools/make-dist --sign works it out and builds
# with it). Empty for the unsigned package, whose publisher common/shared_facts.h holds. The
# DLL and Vestinst look for the package by the family name that follows from the publisher, so
# both take it from the one header written here.
set(VESTRANE_PACKAGE_PUBLISHER "" CACHE STRING
    "Publisher of the signed Windows 11 package (empty: the unsigned package)")

set(publisher_header "// Written by CMake from VESTRANE_PACKAGE_PUBLISHER.\n#pragma once\n")
if(VESTRANE_PACKAGE_PUBLISHER)
    string(REPLACE "\\" "\\\\" literal "${VESTRANE_PACKAGE_PUBLISHER}")
    string(REPLACE "\"" "\\\"" literal "${literal}")
    string(APPEND publisher_header "#define VESTRANE_SIGNED_PACKAGE_PUBLISHER u8\"${literal}\"\n")
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/vestrane_publisher.h
     CONTENT "${publisher_header}")
include_directories(${CMAKE_BINARY_DIR}/generated)
