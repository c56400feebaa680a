// libFuzzer target: a compiled pattern line answers as MatchPatternLine for every name,
// under ASan and UBSan. The input is a line and any number of names, arbitrary bytes; the
// line is compiled once and every name is put to both forms.
#include "engine/compiled_pattern_line.h"
#include "engine/pattern_line.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Dump(const char* label, const std::string& bytes) {
    std::fprintf(stderr, "%s (%zu bytes):", label, bytes.size());
    for (unsigned char c : bytes)
        std::fprintf(stderr, " %02X", c);
    std::fprintf(stderr, "\n");
}

void Require(bool condition, const char* what, const std::string& line, const std::string& name) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        Dump("line", line);
        Dump("name", name);
        std::abort();
    }
}

std::string NoZeros(std::string text) {
    return text.substr(0, text.find('\0'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string line = NoZeros(input.ConsumeRandomLengthString(400));
    const std::string taken = line.substr(0, CompiledPatternLine::kMaxLineBytes);

    CompiledPatternLine compiled;
    Require(compiled.Compile(line.c_str()) == (line == taken), "Compile tells a cut line", line,
            "");
    while (input.remaining_bytes() > 0) {
        const std::string name = NoZeros(input.ConsumeRandomLengthString(400));
        // An exactly sized copy, so that a read past the terminator is caught.
        std::unique_ptr<char[]> copy(new char[name.size() + 1]);
        std::memcpy(copy.get(), name.c_str(), name.size() + 1);
        const bool expected = MatchPatternLine(taken.c_str(), copy.get()) == 1;
        Require(compiled.Matches(copy.get()) == expected, "answers as MatchPatternLine", line,
                name);
        Require(compiled.Matches(copy.get(), name.size()) == expected,
                "answers as MatchPatternLine, length given", line, name);
    }
    return 0;
}
