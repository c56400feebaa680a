// libFuzzer target: a compiled pattern line answers as MatchPatternLine for every name,
// under ASan and UBSan. The input is a line and any number of names, arbitrary UTF-16 units;
// the line is compiled once and every name is put to both forms, and as the shown name of an
// item whose file name is the name before it, or the name with that one as its extension.
#include "engine/compiled_pattern_line.h"
#include "engine/pattern_line.h"
#include "tests/fuzz/utf16_input.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using testtext::Text;

void Require(bool condition, const char* what, const Text& line, const Text& name) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        fuzzinput::Dump("line", line);
        fuzzinput::Dump("name", name);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const Text line = fuzzinput::Units(input.ConsumeRandomLengthString(800));
    const Text taken = line.substr(0, CompiledPatternLine::kMaxLineUnits);

    CompiledPatternLine compiled;
    Require(compiled.Compile(line.c_str()) == (line == taken), "Compile tells a cut line", line,
            Text());
    Text before;
    while (input.remaining_bytes() > 0) {
        const Text name = fuzzinput::Units(input.ConsumeRandomLengthString(800));
        // An exactly sized copy, so that a read past the terminator is caught.
        std::unique_ptr<Utf16Char[]> copy(new Utf16Char[name.size() + 1]);
        std::memcpy(copy.get(), name.c_str(), (name.size() + 1) * sizeof(Utf16Char));
        const bool expected = MatchPatternLine(taken.c_str(), copy.get()) == 1;
        Require(compiled.Matches(copy.get()) == expected, "answers as MatchPatternLine", line,
                name);
        Require(compiled.Matches(copy.get(), name.size()) == expected,
                "answers as MatchPatternLine, length given", line, name);
        for (const Text& file : {before, name + U16(".") + before}) {
            std::unique_ptr<Utf16Char[]> fileCopy(new Utf16Char[file.size() + 1]);
            std::memcpy(fileCopy.get(), file.c_str(), (file.size() + 1) * sizeof(Utf16Char));
            Require(compiled.MatchesItem(copy.get(), name.size(), fileCopy.get(), file.size()) ==
                        (MatchPatternLine(taken.c_str(), copy.get(), fileCopy.get()) == 1),
                    "answers as MatchPatternLine for an item", line, name);
        }
        before = name;
    }
    return 0;
}
