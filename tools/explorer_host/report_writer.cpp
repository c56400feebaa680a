#include "tools/explorer_host/report_writer.h"

#include <cstdio>
#include <vector>

namespace {
HANDLE reportHandle = INVALID_HANDLE_VALUE;
bool ownsHandle = false;

std::string WideToUtf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], size, nullptr, nullptr);
    return out;
}

// Keeps one fact on one line: a line feed inside a text (message boxes have them) is
// written as the two characters \n.
std::string OneLine(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out;
}

void WriteRaw(const std::string& bytes) {
    HANDLE handle = reportHandle;
    if (handle == INVALID_HANDLE_VALUE)
        handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
} // namespace

bool OpenReport(const char* path) {
    CloseReport();
    if (path == nullptr || path[0] == '\0')
        return true;
    // Readers may watch the file while it grows.
    reportHandle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ownsHandle = reportHandle != INVALID_HANDLE_VALUE;
    return ownsHandle;
}

void CloseReport() {
    if (ownsHandle)
        CloseHandle(reportHandle);
    reportHandle = INVALID_HANDLE_VALUE;
    ownsHandle = false;
}

std::string AnsiToUtf8(const std::string& ansi) {
    if (ansi.empty())
        return std::string();
    const int length =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (length <= 0)
        return std::string();
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    return WideToUtf8(wide.data(), length);
}

std::string WideToAnsi(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

void ReportLine(const char* key, const std::string& ansiText) {
    WriteRaw(std::string(key) + ": " + OneLine(AnsiToUtf8(ansiText)) + "\n");
}

void ReportLineW(const char* key, const wchar_t* text) {
    WriteRaw(std::string(key) + ": " + OneLine(WideToUtf8(text, lstrlenW(text))) + "\n");
}

std::string HresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string HexBytes(const unsigned char* bytes, size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
    }
    return out;
}
