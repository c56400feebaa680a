// libFuzzer target: the line routines and the list of names on arbitrary UTF-16 units, quotes
// among them, under ASan and UBSan. Every buffer is allocated with exactly the room the
// routine's contract promises, so a write or read beyond it is caught; the documented results
// are checked as well.
#include "engine/name_list.h"
#include "engine/pattern_line.h"
#include "tests/engine/reference_pattern_line.h"
#include "tests/fuzz/utf16_input.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using testtext::Text;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// A heap copy of text with its terminator and not one unit more.
template <typename Char> std::unique_ptr<Char[]> ExactCopy(const std::basic_string<Char>& text) {
    std::unique_ptr<Char[]> copy(new Char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), (text.size() + 1) * sizeof(Char));
    return copy;
}

bool EndsToken(Utf16Char c) {
    return c == ' ' || c == '\t' || c == '|';
}

// The tokens of one side of the line, from position up to end (null: the line's end).
void CheckSide(const Utf16Char* position, const Utf16Char* end, const Utf16Char* lineEnd,
               bool lineQuotes) {
    // Exactly the room the routine takes.
    std::unique_ptr<Utf16Char[][kLinePatternRoom]> pattern(new Utf16Char[1][kLinePatternRoom]);
    const Utf16Char* const start = position;
    const Utf16Char* const sideEnd = end != nullptr ? end : lineEnd;
    std::size_t tokens = 0;
    bool quoted = false;
    while ((position = NextLinePattern(pattern[0], position, end, quoted)) != nullptr) {
        Require(position > start && position <= sideEnd, "NextLinePattern stays inside its side");
        const Text token = pattern[0];
        const std::size_t star = token[0] == '*' && token.size() > 1 && token[1] == '.' ? 1 : 0;
        Require(token.size() > star && token.size() <= kPatternTokenCap, "token length");
        for (std::size_t i = star; i < token.size(); ++i) {
            Require(token[i] != '"', "no quote in a token");
            Require(lineQuotes || !EndsToken(token[i]), "no separator outside quotes");
        }
        Require(++tokens <= static_cast<std::size_t>(sideEnd - start), "every call moves forward");
    }
}

void CheckNextLinePattern(const Text& line) {
    auto source = ExactCopy(line);
    const Utf16Char* const lineEnd = source.get() + line.size();
    const int bar = FindLineBar(source.get());
    const std::size_t expected = reference::Bar(line);
    Require(bar == static_cast<int>(expected) || (bar == -1 && expected == Text::npos),
            "FindLineBar finds the first bar outside quotes");
    const bool lineQuotes = line.find('"') != Text::npos;
    CheckSide(source.get(), bar < 0 ? nullptr : source.get() + bar, lineEnd, lineQuotes);
    if (bar >= 0)
        CheckSide(source.get() + bar + 1, nullptr, lineEnd, lineQuotes);
    Require(line == source.get(), "line unchanged");
}

// The line a right-clicked file starts with: empty, or a star and a suffix of the path that
// begins with a dot, written within exactly the room the contract gives.
void CheckExtensionPattern(const Text& path) {
    auto copy = ExactCopy(path);
    std::unique_ptr<Utf16Char[]> pattern(new Utf16Char[path.size() + 2]);
    MakeExtensionPattern(pattern.get(), copy.get());
    const Text made = pattern.get();
    Require(made.empty() ||
                (made[0] == '*' && made.size() >= 2 && made[1] == '.' &&
                 path.size() >= made.size() - 1 &&
                 path.compare(path.size() - (made.size() - 1), Text::npos, made, 1) == 0 &&
                 made.find('\\') == Text::npos),
            "extension pattern is a star and a suffix of the path's name");
    Require(path == copy.get(), "path unchanged");
}

void CheckPatternLine(const Text& line, const Text& name) {
    auto lineCopy = ExactCopy(line);
    auto nameCopy = ExactCopy(name);
    const int result = MatchPatternLine(lineCopy.get(), nameCopy.get());
    Require(result == 0 || result == 1, "result is 0 or 1");
    Require(line == lineCopy.get(), "line unchanged");
    Require(name == nameCopy.get(), "name unchanged");

    // Short inputs with few stars are also held against the rules read independently.
    int stars = 0;
    for (Utf16Char c : line)
        stars += c == '*';
    if (line.size() <= 24 && name.size() <= 16 && stars <= 4)
        Require(result == reference::ReferenceMatchPatternLine(line, name, name),
                "agrees with rules");
}

// The line read as a list of names, one a line: each of its patterns matches the name exactly
// when the line of that pattern alone, in quotes, does, and the list counts the others as not
// found.
void CheckNameList(const Text& text, const Text& name) {
    auto textCopy = ExactCopy(text);
    auto nameCopy = ExactCopy(name);
    NameList list;
    Require(list.Read(textCopy.get(), text.size()), "the list is read");
    Require(text == textCopy.get(), "text unchanged");
    const bool selected = list.MatchesItem(nameCopy.get(), name.size(), nullptr, 0);
    std::size_t notFound = 0;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const Text pattern = list.Pattern(i);
        if (pattern.find('"') != Text::npos || pattern.size() >= kPatternTokenCap)
            return;
        const Text line = U16("\"") + pattern + U16("\"");
        notFound += MatchPatternLine(line.c_str(), nameCopy.get()) == 1 ? 0 : 1;
    }
    Require(list.NotFound() == notFound, "the list finds what the line of each pattern does");
    Require(selected == (notFound < list.Count()), "the list selects what one pattern does");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string lineBytes = input.ConsumeRandomLengthString(1400);
    const std::string nameBytes = input.ConsumeRemainingBytesAsString();
    const Text line = fuzzinput::Units(lineBytes);
    const Text name = fuzzinput::Units(nameBytes);

    CheckNextLinePattern(line);
    CheckExtensionPattern(line);
    CheckPatternLine(line, name);
    CheckNameList(line, name);
    return 0;
}
