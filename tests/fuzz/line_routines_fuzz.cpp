// libFuzzer target: the line and path routines on arbitrary bytes, under ASan and UBSan.
// Every buffer is allocated with exactly the room the routine's contract promises, so
// a write or read beyond it is caught; the documented results are checked as well.
#include "engine/pattern_line.h"
#include "tests/engine/reference_pattern_line.h"
#include "text/dbcs.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// A heap copy of text with its terminator and not one byte more.
std::unique_ptr<char[]> ExactCopy(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

std::string NoZeros(std::string text) {
    return text.substr(0, text.find('\0'));
}

void CheckNextToken(const std::string& line, const std::string& separators, int cap) {
    auto source = ExactCopy(line);
    auto seps = ExactCopy(separators);
    std::unique_ptr<char[]> token(new char[static_cast<std::size_t>(cap) + 1]);
    const char* at = source.get();
    const char* const end = source.get() + line.size();
    std::size_t tokens = 0;
    while ((at = NextToken(token.get(), at, seps.get(), cap)) != nullptr) {
        Require(at > source.get() && at <= end, "NextToken stays inside the line");
        const std::size_t length = std::strlen(token.get());
        Require(length >= 1 && length <= static_cast<std::size_t>(cap), "token length");
        for (std::size_t i = 0; i < length; ++i)
            Require(std::strchr(seps.get(), token[i]) == nullptr, "no separator in a token");
        Require(++tokens <= line.size(), "every call moves forward");
    }
    Require(std::memcmp(source.get(), line.c_str(), line.size() + 1) == 0, "line unchanged");
}

void CheckPathRoutines(const std::string& path) {
    auto copy = ExactCopy(path);

    std::unique_ptr<char[]> pattern(new char[path.size() + 2]);
    MakeExtensionPattern(pattern.get(), copy.get());
    const std::string made = pattern.get();
    Require(made.empty() ||
                (made[0] == '*' && made.size() >= 2 && made[1] == '.' &&
                 path.size() >= made.size() - 1 &&
                 path.compare(path.size() - (made.size() - 1), std::string::npos, made, 1) == 0),
            "extension pattern is a star and a suffix of the path");

    const char* name = FileNamePart(copy.get());
    Require(name >= copy.get() && name <= copy.get() + path.size(), "name part inside path");

    const int dot = FindChar(copy.get(), '.');
    Require(dot == static_cast<int>(path.find('.')) ||
                (dot == -1 && path.find('.') == std::string::npos),
            "FindChar finds the first dot");

    CutAtLastBackslash(copy.get());
    const std::size_t cut = std::strlen(copy.get());
    Require(cut == path.size() || path[cut] == '\\', "cut only at a backslash");
    Require(path.compare(0, cut, copy.get()) == 0, "cut keeps the front of the path");
}

void CheckPatternLine(const std::string& line, const std::string& name) {
    auto lineCopy = ExactCopy(line);
    auto nameCopy = ExactCopy(name);
    const int result = MatchPatternLine(lineCopy.get(), nameCopy.get());
    Require(result == 0 || result == 1, "result is 0 or 1");
    Require(std::memcmp(lineCopy.get(), line.c_str(), line.size() + 1) == 0, "line unchanged");
    Require(std::memcmp(nameCopy.get(), name.c_str(), name.size() + 1) == 0, "name unchanged");

    // Short inputs with few stars are also held against the rules read independently.
    int stars = 0;
    for (char c : line)
        stars += c == '*';
    if (line.size() <= 24 && name.size() <= 16 && stars <= 4)
        Require(result == reference::ReferenceMatchPatternLine(line, name), "agrees with rules");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int cap = input.ConsumeIntegralInRange<int>(1, 300);
    std::string separators = NoZeros(input.ConsumeRandomLengthString(4));
    if (separators.empty())
        separators = "\t ";
    const std::string line = NoZeros(input.ConsumeRandomLengthString(700));
    const std::string name = NoZeros(input.ConsumeRemainingBytesAsString());

    CheckNextToken(line, separators, cap);
    CheckNextToken(line, "\t ", 260);
    CheckPathRoutines(line);
    CheckPathRoutines(name);
    CheckPatternLine(line, name);
    return 0;
}
