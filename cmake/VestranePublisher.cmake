# The publisher of the package that gives Windows 11's first context menu its entry. Windows
# installs an unsigned package only when its publisher carries the OID below; a signed one must
# have the signing certificate's subject, written as Windows writes it (tools/make-dist --sign
# works it out from the certificate and builds with it). The DLL looks for the package by the
# family name that follows from the publisher, so every program and tool takes it from the one
# header written here.
set(VESTRANE_PACKAGE_PUBLISHER
    "CN=Vestrane, OID.2.25.311729368913984317654407730594956997722=1"
    CACHE STRING "Publisher of the Windows 11 package (a certificate's subject when signed)")

string(REPLACE "\\" "\\\\" publisher_literal "${VESTRANE_PACKAGE_PUBLISHER}")
string(REPLACE "\"" "\\\"" publisher_literal "${publisher_literal}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/vestrane_publisher.h
     CONTENT "// Written by CMake from VESTRANE_PACKAGE_PUBLISHER.\n#pragma once\n#define VESTRANE_PACKAGE_PUBLISHER u8\"@publisher_literal@\"\n"
     @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
