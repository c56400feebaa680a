// The report that the stand-in Explorer and the dialog driver write: one "key: value" line
// per fact, in UTF-8, so that a Linux terminal or a test script reads the Japanese texts.
#pragma once

#include <windows.h>

#include <string>

// Sends the report to the given file (created anew), or to standard output when the path is
// null or empty. Returns false when the file cannot be created.
bool OpenReport(const char* path);
void CloseReport();

// Writes "key: text" with text in the ANSI code page (code page 932 in the prefix).
void ReportLine(const char* key, const std::string& ansiText);
// Writes "key: text" with UTF-16 text.
void ReportLineW(const char* key, const wchar_t* text);

std::string AnsiToUtf8(const std::string& ansi);
std::string WideToAnsi(const wchar_t* text);

// An HRESULT as "0x" and eight hex digits.
std::string HresultText(HRESULT hr);

// Bytes as lower-case hex digits, two per byte.
std::string HexBytes(const unsigned char* bytes, size_t count);
