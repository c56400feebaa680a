// Times the matcher and the pattern-line rule: typical lines over 100,000 generated
// names, and the shapes that make backtracking matchers explode, the line compiled once
// next to MatchPatternLine, the recursive definition and glibc's fnmatch. Prints one
// table per part; not a test. Times are the CPU time of the measuring thread.
#include "engine/compiled_pattern_line.h"
#include "engine/pattern_line.h"
#include "tests/text/recursive_wildcard.h"
#include "text/wildcard.h"

#include <fnmatch.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

// CPU time of this thread: the figures stay comparable on a machine busy with other work.
struct Clock {
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<Clock, duration>;
    static time_point now() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return time_point(
            duration(static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec));
    }
};

// Keeps the compiler from dropping calls whose results are otherwise unused.
volatile std::uint64_t sink;

// Deterministic mix of names as a folder holds them: words, camera and scanner names,
// dates and numbers, Japanese names in code page 932 (会議 89EF 8B63, 議事録 8B63 8E96 985E,
// 表 955C, ソフト 835C 8374 8367), several extensions in either case, some without one.
std::vector<std::string> RealisticNames(std::size_t count) {
    const char* const stems[] = {"report",
                                 "memo",
                                 "README",
                                 "readme",
                                 "Makefile",
                                 "IMG_",
                                 "DSC",
                                 "invoice",
                                 "draft",
                                 "notes",
                                 "photo",
                                 "backup",
                                 "\x89\xEF\x8B\x63",
                                 "\x8B\x63\x8E\x96\x98\x5E",
                                 "\x95\x5C",
                                 "\x83\x5C\x83\x74\x83\x67",
                                 "setup",
                                 "data",
                                 "log",
                                 "index"};
    const char* const extensions[] = {
        ".txt",    ".TXT", ".doc", ".docx", ".xls",     ".jpg", ".JPG",  ".png", ".pdf", ".md",
        ".tar.gz", ".cpp", ".h",   ".bak",  ".txt.bak", "",     ".html", ".zip", ".exe", ".dll"};
    std::uint32_t state = 12345;
    const auto next = [&state](std::uint32_t bound) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % bound;
    };
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = stems[next(20)];
        switch (next(4)) {
        case 0:
            name += std::to_string(next(10000));
            break;
        case 1:
            name += "_20" + std::to_string(10 + next(20)) + "-0" + std::to_string(1 + next(9));
            break;
        case 2:
            name += " (" + std::to_string(1 + next(9)) + ")";
            break;
        default:
            break;
        }
        name += extensions[next(20)];
        names.push_back(name);
    }
    return names;
}

// Nanoseconds per call of match over all names: the fastest of several passes (the least
// disturbed by other work on the machine), after at least 300 ms in all.
double NanosecondsPerName(const std::vector<std::string>& names,
                          const std::function<int(const std::string&)>& match, int* matched) {
    double best = 0;
    Clock::duration total{};
    int passes = 0;
    do {
        int hits = 0;
        const Clock::time_point start = Clock::now();
        for (const std::string& name : names)
            hits += match(name);
        const Clock::duration elapsed = Clock::now() - start;
        const double perName = std::chrono::duration<double, std::nano>(elapsed).count() /
                               static_cast<double>(names.size());
        best = passes++ == 0 ? perName : std::min(best, perName);
        total += elapsed;
        sink = sink + static_cast<std::uint64_t>(hits);
        *matched = hits;
    } while (total < std::chrono::milliseconds(300) || passes < 3);
    return best;
}

// Microseconds of one call: batches of calls between two clock readings (reading this
// clock costs about a microsecond itself), the fastest batch of at least 20 ms of work.
// A call that alone takes over a millisecond is timed once.
double MicrosecondsPerCall(const std::function<int()>& call, int* result) {
    Clock::time_point start = Clock::now();
    *result = call();
    double once = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (once > 1000.0)
        return once;
    const int batch = std::max(1, static_cast<int>(200.0 / std::max(once, 0.01)));
    double best = once;
    Clock::duration total{};
    do {
        start = Clock::now();
        for (int i = 0; i < batch; ++i)
            *result = call();
        const Clock::duration elapsed = Clock::now() - start;
        best = std::min(best, std::chrono::duration<double, std::micro>(elapsed).count() / batch);
        total += elapsed;
    } while (total < std::chrono::milliseconds(20));
    return best;
}

int Fnmatch(const char* pattern, const char* name) {
    return fnmatch(pattern, name, FNM_NOESCAPE | FNM_CASEFOLD) == 0 ? 1 : 0;
}

void TypicalLines() {
    const std::vector<std::string> names = RealisticNames(100000);
    std::printf("Typical lines over %zu generated names (ns per name; matches in brackets)\n\n",
                names.size());
    std::printf("  %-18s %16s %16s %6s %8s %14s %14s %14s\n", "line", "MatchPatternLine",
                "compiled line", "ratio", "+length", "WildcardMatch", "recursive def.", "fnmatch");
    struct Row {
        const char* line;
        const char* singlePattern; // the same question for a single-pattern matcher
    };
    const Row rows[] = {{"*.txt", "*.txt"},   {"*.txt .doc readme", nullptr},
                        {"readme", nullptr},  {".jpg", "*.jpg"},
                        {"*memo*", "*memo*"}, {"img_*.jpg dsc*", nullptr}};
    for (const Row& row : rows) {
        int lineHits = 0;
        const double line = NanosecondsPerName(
            names,
            [&row](const std::string& name) { return MatchPatternLine(row.line, name.c_str()); },
            &lineHits);
        CompiledPatternLine compiled;
        compiled.Compile(row.line);
        int compiledHits = 0;
        const double once = NanosecondsPerName(
            names,
            [&compiled](const std::string& name) { return compiled.Matches(name.c_str()) ? 1 : 0; },
            &compiledHits);
        int lengthHits = 0;
        const double withLength = NanosecondsPerName(
            names,
            [&compiled](const std::string& name) {
                return compiled.Matches(name.c_str(), name.size()) ? 1 : 0;
            },
            &lengthHits);
        std::printf("  %-18s %8.1f [%5d] %8.1f [%5d] %6.2f %8.1f", row.line, line, lineHits, once,
                    compiledHits, once / line, withLength);
        if (compiledHits != lineHits || lengthHits != lineHits)
            std::printf(" MISMATCH");
        if (row.singlePattern != nullptr) {
            int hits[3] = {};
            const char* pattern = row.singlePattern;
            const double ours = NanosecondsPerName(
                names,
                [pattern](const std::string& name) { return WildcardMatch(pattern, name.c_str()); },
                &hits[0]);
            const double recursive = NanosecondsPerName(
                names,
                [pattern](const std::string& name) {
                    return reference::RecursiveWildcardMatch(pattern, name.c_str());
                },
                &hits[1]);
            const double glibc = NanosecondsPerName(
                names,
                [pattern](const std::string& name) { return Fnmatch(pattern, name.c_str()); },
                &hits[2]);
            std::printf(" %6.1f [%5d] %6.1f [%5d] %6.1f [%5d]", ours, hits[0], recursive, hits[1],
                        glibc, hits[2]);
        }
        std::printf("\n");
    }
    int firstBytes = 0;
    const double harness = NanosecondsPerName(
        names, [](const std::string& name) { return name.c_str()[0] != '\0' ? 1 : 0; },
        &firstBytes);
    std::printf("\n  +length: the compiled line given the name's length, as the list view's\n"
                "  LVM_GETITEMTEXT returns it, instead of finding it with strlen\n");
    std::printf("  the loop and the call alone, included above: %.1f ns per name\n", harness);
    std::printf("  targets for the compiled line: *.txt <= 10 ns, *.txt .doc readme <= 25 ns\n\n");
}

struct Family {
    const char* title;
    std::function<std::string(int)> pattern;
    std::vector<int> sizes;
    std::string name;
};

struct Slowest {
    double matcher = 0; // WildcardMatch or MatchPatternLine
    double compiled = 0;
};

// Runs one worst-case family. The recursive definition and fnmatch are dropped from the
// table once one call of theirs took longer than the cap; their growth up to there shows.
void WorstCaseFamily(const Family& family, Slowest* slowest) {
    constexpr double kCapMicroseconds = 50000.0;
    std::printf("%s, name of %zu bytes (us per call; result in brackets)\n\n", family.title,
                family.name.size());
    std::printf("  %4s %4s %13s %16s %13s %6s %14s %13s\n", "k", "len", "WildcardMatch",
                "MatchPatternLine", "compiled line", "ratio", "recursive def.", "fnmatch");
    bool recursiveOn = true;
    bool fnmatchOn = true;
    const char* name = family.name.c_str();
    for (int k : family.sizes) {
        const std::string text = family.pattern(k);
        const char* pattern = text.c_str();
        int r = 0;
        int lineResult = 0;
        int compiledResult = 0;
        const double ours = MicrosecondsPerCall([&] { return WildcardMatch(pattern, name); }, &r);
        const double line =
            MicrosecondsPerCall([&] { return MatchPatternLine(pattern, name); }, &lineResult);
        CompiledPatternLine compiled;
        compiled.Compile(pattern);
        const double once =
            MicrosecondsPerCall([&] { return compiled.Matches(name) ? 1 : 0; }, &compiledResult);
        slowest->matcher = std::max({slowest->matcher, ours, line});
        slowest->compiled = std::max(slowest->compiled, once);
        std::printf("  %4d %4zu %9.2f [%d] %12.2f [%d] %9.3f [%d] %6.3f", k, text.size(), ours, r,
                    line, lineResult, once, compiledResult, once / line);
        if (compiledResult != lineResult)
            std::printf(" MISMATCH");
        if (recursiveOn) {
            int expected = 0;
            const double us = MicrosecondsPerCall(
                [&] { return reference::RecursiveWildcardMatch(pattern, name); }, &expected);
            std::printf(" %10.1f [%d]", us, expected);
            if (expected != r)
                std::printf(" MISMATCH");
            recursiveOn = us < kCapMicroseconds;
        } else {
            std::printf(" %14s", "(capped)");
        }
        if (fnmatchOn) {
            int glibcResult = 0;
            const double us =
                MicrosecondsPerCall([&] { return Fnmatch(pattern, name); }, &glibcResult);
            std::printf(" %9.2f [%d]", us, glibcResult);
            fnmatchOn = us < kCapMicroseconds;
        } else {
            std::printf(" %13s", "(capped)");
        }
        std::printf("\n");
    }
    std::printf("\n");
}

// k copies of unit, one after the other.
std::string Repeated(const std::string& unit, int k) {
    std::string out;
    for (int i = 0; i < k; ++i)
        out += unit;
    return out;
}

// A 259-byte line filled with copies of one token, separated by blanks.
std::string LineOf(const std::string& token) {
    std::string line = token;
    while (line.size() + 1 + token.size() <= 259)
        line += " " + token;
    return line;
}

} // namespace

int main() {
    TypicalLines();

    const std::string runOfA(259, 'a');
    const std::vector<int> ks = {1, 2, 3, 4, 5, 6, 8, 12, 16, 32, 64, 96, 128, 129};
    Slowest slowest;
    WorstCaseFamily({"(*a)^k b", [](int k) { return Repeated("*a", k) + "b"; }, ks, runOfA},
                    &slowest);
    WorstCaseFamily({"*^k X *^k",
                     [](int k) { return std::string(k, '*') + "X" + std::string(k, '*'); }, ks,
                     runOfA},
                    &slowest);
    // The costliest shape for a last-star matcher: one star, then a long literal run that
    // fails only at its last byte, so every name position is retried nearly in full.
    WorstCaseFamily({"* a^k b",
                     [](int k) { return "*" + std::string(k, 'a') + "b"; },
                     {1, 8, 32, 64, 128, 129, 160, 200, 257},
                     runOfA},
                    &slowest);
    WorstCaseFamily({"(*a?)^k b",
                     [](int k) { return Repeated("*a?", k) + "b"; },
                     {1, 2, 3, 4, 8, 32, 64, 86},
                     runOfA},
                    &slowest);
    // Pattern lines of 259 bytes filled with such tokens: each token costs its own pass
    // over the name (two for tokens without a dot), so short tokens cost the most in all.
    WorstCaseFamily({"line of (* a^k b) tokens, 259 bytes",
                     [](int k) { return LineOf("*" + std::string(k, 'a') + "b"); },
                     {1, 2, 4, 8, 16, 32, 64, 128},
                     runOfA},
                    &slowest);
    // The compiled line's own worst shapes. The name ends as every token does, so both
    // tries of each token pass the anchored checks and search a piece that fails only at
    // its last byte, in every word of the name's position sets.
    const std::string runThenD = std::string(258, 'a') + "d";
    WorstCaseFamily({"line of (* a^k b * d) tokens, 259 bytes",
                     [](int k) { return LineOf("*" + std::string(k, 'a') + "b*d"); },
                     {1, 2, 4, 8, 12, 16, 24, 32, 64, 128, 250},
                     runThenD},
                    &slowest);
    // Pieces that repeat a two-byte period fail only at their last byte too, and many
    // distinct bytes make many position sets to clear and fill.
    const std::string periodic = Repeated("ab", 129);
    WorstCaseFamily({"line of (* (ab)^k c * b) tokens, 259 bytes",
                     [](int k) {
                         std::string piece;
                         for (int i = 0; i < k; ++i)
                             piece += "ab";
                         return LineOf("*" + piece + "c*b");
                     },
                     {1, 2, 4, 8, 16, 32, 64, 126},
                     periodic + "b"},
                    &slowest);
    std::string distinct;
    std::string everyByte;
    for (int c = 0x21; c < 0x100; ++c) {
        if (c == '*' || c == '?' || c == '.' || (c >= 'a' && c <= 'z'))
            continue;
        everyByte += static_cast<char>(c);
    }
    WorstCaseFamily(
        {"line of (* x y *) tokens over distinct bytes, 259 bytes",
         [&everyByte](int k) {
             std::string line;
             for (std::size_t i = 0; line.size() + 5 <= 259; ++i) {
                 line += line.empty() ? "*" : " *";
                 line += everyByte[(i * static_cast<std::size_t>(k)) % everyByte.size()];
                 line += everyByte[(i * static_cast<std::size_t>(k) + 1) % everyByte.size()];
                 line += "Z*";
             }
             return line;
         },
         {1, 2, 3},
         (everyByte + everyByte).substr(0, 259)},
        &slowest);
    std::printf("Slowest WildcardMatch or MatchPatternLine call above: %.2f us (target: 100 us)\n",
                slowest.matcher);
    std::printf("Slowest compiled line above: %.3f us (target: 10 us)\n", slowest.compiled);
    return 0;
}
