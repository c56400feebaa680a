// Times the matcher and the pattern-line rule: typical lines over 100,000 generated
// names of each kind (ASCII, Japanese, with surrogate pairs), lists of names from the
// clipboard over such items, and the shapes that make backtracking matchers explode, the
// line compiled once next to MatchPatternLine, the recursive definition and glibc's fnmatch
// (given the UTF-8 form, in the C locale, so it compares bytes). Prints one table per part;
// not a test. Times are the CPU time of the measuring thread.
#include "engine/compiled_pattern_line.h"
#include "engine/name_list.h"
#include "engine/pattern_line.h"
#include "tests/text/recursive_wildcard.h"
#include "bench/utf8_text.h"
#include "tests/text/utf16_text.h"
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

using testtext::Text;

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

enum class NameKind { Ascii, Japanese, SurrogatePairs };

// Deterministic mix of names as a folder holds them: words, camera and scanner names,
// dates and numbers, several extensions in either case, some without one. The kinds share
// all but the stems: ASCII words, Japanese words (kanji, kana, half-width kana), or words
// holding characters beyond the Basic Multilingual Plane (emoji, 𠮷 and 𩸽 of Japanese
// names), each a surrogate pair.
std::vector<Text> RealisticNames(std::size_t count, NameKind kind) {
    const char* const asciiStems[] = {"report", "memo",   "README",  "readme", "Makefile",
                                      "IMG_",   "DSC",    "invoice", "draft",  "notes",
                                      "photo",  "backup", "summary", "budget", "scan",
                                      "thumb",  "setup",  "data",    "log",    "index"};
    const char* const japaneseStems[] = {"会議",   "議事録", "表",     "ソフト", "資料",
                                         "予定表", "写真",   "メモ",   "見積書", "請求書",
                                         "報告書", "日報",   "ｱﾝｹｰﾄ",  "データ", "バックアップ",
                                         "readme", "説明",   "一覧表", "画像",   "原稿"};
    const char* const pairStems[] = {"😀",       "📷IMG_",   "🎵song",   "𠮷野家", "𩸽",
                                     "😀memo",   "🐈photo",  "📄report", "👍",      "🍣寿司",
                                     "𠀋",      "🎉party",  "✅done",   "📝notes", "🌸桜",
                                     "readme😀", "💾backup", "🔒secret", "📊data",  "🗒memo"};
    const char* const* stems = kind == NameKind::Ascii      ? asciiStems
                               : kind == NameKind::Japanese ? japaneseStems
                                                            : pairStems;
    const char* const extensions[] = {
        ".txt",    ".TXT", ".doc", ".docx", ".xls",     ".jpg", ".JPG",  ".png", ".pdf", ".md",
        ".tar.gz", ".cpp", ".h",   ".bak",  ".txt.bak", "",     ".html", ".zip", ".exe", ".dll"};
    std::uint32_t state = 12345;
    const auto next = [&state](std::uint32_t bound) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % bound;
    };
    std::vector<Text> names;
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
        names.push_back(utf8::ToUtf16(name));
    }
    return names;
}

// Names one behind the other in one block, each with its terminator, as a pass reads every
// name into the same few cache lines rather than from all over the heap.
template <typename Char> struct PackedNames {
    struct Name {
        const Char* units;
        std::size_t length;
        const Char* c_str() const { return units; }
        std::size_t size() const { return length; }
    };

    explicit PackedNames(const std::vector<std::basic_string<Char>>& from) {
        for (const std::basic_string<Char>& name : from) {
            pool += name;
            pool += Char{0};
        }
        const Char* at = pool.c_str();
        for (const std::basic_string<Char>& name : from) {
            names.push_back({at, name.size()});
            at += name.size() + 1;
        }
    }

    std::basic_string<Char> pool;
    std::vector<Name> names;
};
using Names16 = PackedNames<Utf16Char>;
using Names8 = PackedNames<char>;

// Nanoseconds per call of match over all names: the fastest of several passes (the least
// disturbed by other work on the machine), after at least 300 ms in all.
template <typename Name>
double NanosecondsPerName(const std::vector<Name>& names,
                          const std::function<int(const Name&)>& match, int* matched) {
    double best = 0;
    Clock::duration total{};
    int passes = 0;
    do {
        int hits = 0;
        const Clock::time_point start = Clock::now();
        for (const Name& name : names)
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

void TypicalLines(NameKind kind, const char* title) {
    const std::vector<Text> generated = RealisticNames(100000, kind);
    std::vector<std::string> generatedUtf8;
    for (const Text& name : generated)
        generatedUtf8.push_back(utf8::FromUtf16(name));
    const Names16 packed(generated);
    const Names8 packedUtf8(generatedUtf8);
    const std::vector<Names16::Name>& names = packed.names;
    const std::vector<Names8::Name>& utf8Names = packedUtf8.names;
    std::printf("Typical lines over %zu generated %s (ns per name; matches in brackets)\n\n",
                names.size(), title);
    std::printf("  %-18s %16s %16s %6s %8s %14s %14s %14s\n", "line", "MatchPatternLine",
                "compiled line", "ratio", "+length", "WildcardMatch", "recursive def.", "fnmatch");
    struct Row {
        const Utf16Char* line;
        const Utf16Char* singlePattern; // the same question for a single-pattern matcher
    };
    const Row rows[] = {{U16("*.txt"), U16("*.txt")},        {U16("*.txt|old*"), nullptr},
                        {U16("*.txt .doc readme"), nullptr}, {U16("readme"), nullptr},
                        {U16(".jpg"), U16("*.jpg")},         {U16("*memo*"), U16("*memo*")},
                        {U16("img_*.jpg dsc*"), nullptr}};
    double compiledTxt = 0;
    for (const Row& row : rows) {
        int lineHits = 0;
        const double line = NanosecondsPerName<Names16::Name>(
            names,
            [&row](const Names16::Name& name) { return MatchPatternLine(row.line, name.c_str()); },
            &lineHits);
        CompiledPatternLine compiled;
        compiled.Compile(row.line);
        int compiledHits = 0;
        const double once = NanosecondsPerName<Names16::Name>(
            names,
            [&compiled](const Names16::Name& name) {
                return compiled.Matches(name.c_str()) ? 1 : 0;
            },
            &compiledHits);
        int lengthHits = 0;
        const double withLength = NanosecondsPerName<Names16::Name>(
            names,
            [&compiled](const Names16::Name& name) {
                return compiled.Matches(name.c_str(), name.size()) ? 1 : 0;
            },
            &lengthHits);
        if (row.singlePattern != nullptr && Text(row.line) == U16("*.txt"))
            compiledTxt = once;
        std::printf("  %-18s %8.1f [%5d] %8.1f [%5d] %6.2f %8.1f",
                    utf8::FromUtf16(row.line).c_str(), line, lineHits, once, compiledHits,
                    once / line, withLength);
        if (compiledHits != lineHits || lengthHits != lineHits)
            std::printf(" MISMATCH");
        if (row.singlePattern != nullptr) {
            int hits[3] = {};
            const Utf16Char* pattern = row.singlePattern;
            const double ours = NanosecondsPerName<Names16::Name>(
                names,
                [pattern](const Names16::Name& name) {
                    return WildcardMatch(pattern, name.c_str());
                },
                &hits[0]);
            const double recursive = NanosecondsPerName<Names16::Name>(
                names,
                [pattern](const Names16::Name& name) {
                    return reference::RecursiveWildcardMatch(pattern, name.c_str());
                },
                &hits[1]);
            const std::string utf8Pattern = utf8::FromUtf16(pattern);
            const double glibc = NanosecondsPerName<Names8::Name>(
                utf8Names,
                [&utf8Pattern](const Names8::Name& name) {
                    return Fnmatch(utf8Pattern.c_str(), name.c_str());
                },
                &hits[2]);
            std::printf(" %6.1f [%5d] %6.1f [%5d] %6.1f [%5d]", ours, hits[0], recursive, hits[1],
                        glibc, hits[2]);
        }
        std::printf("\n");
    }
    int firstUnits = 0;
    const double harness = NanosecondsPerName<Names16::Name>(
        names, [](const Names16::Name& name) { return name.c_str()[0] != 0 ? 1 : 0; }, &firstUnits);
    int lengths = 0;
    const double ends = NanosecondsPerName<Names16::Name>(
        names,
        [](const Names16::Name& name) { return static_cast<int>(Utf16Length(name.c_str())); },
        &lengths);
    std::printf("\n  +length: the compiled line given the name's length, as the list view's\n"
                "  LVM_GETITEMTEXT returns it, instead of finding it by its terminator\n");
    std::printf("  the loop and the call alone, included above: %.1f ns per name\n", harness);
    std::printf("  of the compiled line's figure, finding the name's end: %.1f ns per name\n",
                ends);
    std::printf("  targets for the compiled line: *.txt <= 10 ns, *.txt .doc readme <= 25 ns,\n"
                "  *.txt|old* at most about twice *.txt\n");

    CompiledPatternLine withExclusion;
    withExclusion.Compile(U16("*.txt|old*"));
    int excludedHits = 0;
    const double excluded = NanosecondsPerName<Names16::Name>(
        names,
        [&withExclusion](const Names16::Name& name) {
            return withExclusion.Matches(name.c_str()) ? 1 : 0;
        },
        &excludedHits);
    std::printf("  *.txt|old* against *.txt, compiled: %.2f times\n", excluded / compiledTxt);

    // A recount as one pass over a folder makes it: the line compiled on the heap, then
    // every name matched, found by its terminator or given its length.
    const Utf16Char* const recountLine = U16("*.txt .doc readme");
    double recount[2] = {};
    int recounted = 0;
    for (int round = 0; round < 20; ++round) {
        const bool givenLengths = round % 2 == 1;
        const Clock::time_point start = Clock::now();
        CompiledPatternLine* line = new CompiledPatternLine;
        line->Compile(recountLine);
        int hits = 0;
        for (const Names16::Name& name : names) {
            const bool match = givenLengths ? line->Matches(name.c_str(), name.size())
                                            : line->Matches(name.c_str());
            hits += match ? 1 : 0;
        }
        delete line;
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        double& best = recount[givenLengths ? 1 : 0];
        best = round < 2 ? ms : std::min(best, ms);
        recounted = hits;
        sink = sink + static_cast<std::uint64_t>(hits);
    }
    std::printf("  recount of %zu names for *.txt .doc readme: %.2f ms, given the lengths "
                "%.2f ms [%d] (target: 2 ms)\n",
                names.size(), recount[0], recount[1], recounted);

    // Extensions hidden, as Explorer shows names by default: each item's shown name lacks its
    // last extension, and its file name goes beside it where the two differ, as a pass hands
    // them over.
    struct Item {
        Names16::Name shown;
        Names16::Name file;
    };
    std::vector<Text> shownNames;
    for (const Text& name : generated)
        shownNames.push_back(name.substr(0, name.rfind('.')));
    const Names16 packedShown(shownNames);
    std::vector<Item> items;
    for (std::size_t i = 0; i < names.size(); ++i)
        items.push_back({packedShown.names[i], names[i]});
    CompiledPatternLine itemLine;
    itemLine.Compile(recountLine);
    int shownHits = 0;
    const double shownAlone = NanosecondsPerName<Item>(
        items,
        [&itemLine](const Item& item) {
            return itemLine.Matches(item.shown.c_str(), item.shown.size()) ? 1 : 0;
        },
        &shownHits);
    int itemHits = 0;
    const double withFile = NanosecondsPerName<Item>(
        items,
        [&itemLine](const Item& item) {
            const Utf16Char* file =
                item.file.size() != item.shown.size() ? item.file.c_str() : nullptr;
            return itemLine.MatchesItem(item.shown.c_str(), item.shown.size(), file,
                                        item.file.size())
                       ? 1
                       : 0;
        },
        &itemHits);
    std::printf("  *.txt .doc readme, extensions hidden: the shown name alone %.1f ns [%d], "
                "with the file name (MatchesItem) %.1f ns [%d], %.2f times\n\n",
                shownAlone, shownHits, withFile, itemHits, withFile / shownAlone);
}

// Lists of names, one a line as the clipboard holds them, over 100,000 items with their
// extensions hidden, beside the same items against a one-pattern line: half of each list
// names an item, half names none.
void ClipboardNames() {
    const std::vector<Text> generated = RealisticNames(100000, NameKind::Ascii);
    std::vector<Text> shownNames;
    for (const Text& name : generated)
        shownNames.push_back(name.substr(0, name.rfind('.')));
    const Names16 files(generated);
    const Names16 shown(shownNames);
    struct Item {
        Names16::Name shown;
        Names16::Name file;
    };
    std::vector<Item> items;
    for (std::size_t i = 0; i < generated.size(); ++i)
        items.push_back({shown.names[i], files.names[i]});
    const double msPerPass = static_cast<double>(items.size()) / 1e6;
    const auto matchItem = [](auto& matcher, const Item& item) {
        const Utf16Char* file = item.file.size() != item.shown.size() ? item.file.c_str() : nullptr;
        return matcher.MatchesItem(item.shown.c_str(), item.shown.size(), file, item.file.size())
                   ? 1
                   : 0;
    };
    std::printf("Names from the clipboard over %zu ASCII items, extensions hidden (ms per pass "
                "over all items; matches in brackets)\n\n",
                items.size());
    CompiledPatternLine line;
    line.Compile(U16("*.txt"));
    int lineHits = 0;
    const double baseline = NanosecondsPerName<Item>(
        items, [&](const Item& item) { return matchItem(line, item); }, &lineHits);
    std::printf("  %-34s %8.2f ms [%6d]\n", "baseline: the line *.txt, compiled",
                baseline * msPerPass, lineHits);
    for (const std::size_t count : {10, 10000}) {
        Text text;
        for (std::size_t i = 0; i < count; ++i) {
            text += generated[i * (generated.size() / count)];
            text += i % 2 == 0 ? U16("\r\n") : U16("~\r\n");
        }
        NameList names;
        int read = 0;
        const double readUs = MicrosecondsPerCall(
            [&] { return names.Read(text.c_str(), text.size()) ? 1 : 0; }, &read);
        int hits = 0;
        const double perItem = NanosecondsPerName<Item>(
            items, [&](const Item& item) { return matchItem(names, item); }, &hits);
        char title[64];
        std::snprintf(title, sizeof title, "%zu exact names", count);
        std::printf("  %-34s %8.2f ms [%6d] %6.2f times the baseline; read in %.2f ms, "
                    "not found: %zu\n",
                    title, perItem * msPerPass, hits, perItem / baseline, readUs / 1000,
                    names.NotFound());
    }
    std::printf("\n  target: 10000 exact names over the items in at most 50 ms\n\n");
}

struct Family {
    const char* title;
    std::function<Text(int)> pattern;
    std::vector<int> sizes;
    Text name;
    // fnmatch reads bytes: where "?" meets a character of several bytes its answer means
    // something else, and it is left out.
    bool bytesAnswerAlike = true;
};

struct Slowest {
    double matcher = 0; // WildcardMatch or MatchPatternLine
    double compiled = 0;
};

// Runs one worst-case family. The recursive definition and fnmatch are dropped from the
// table once one call of theirs took longer than the cap; their growth up to there shows.
void WorstCaseFamily(const Family& family, Slowest* slowest) {
    constexpr double kCapMicroseconds = 50000.0;
    std::printf("%s, name of %zu units (us per call; result in brackets)\n\n", family.title,
                family.name.size());
    std::printf("  %4s %4s %13s %16s %13s %6s %14s %13s\n", "k", "len", "WildcardMatch",
                "MatchPatternLine", "compiled line", "ratio", "recursive def.", "fnmatch");
    bool recursiveOn = true;
    bool fnmatchOn = family.bytesAnswerAlike;
    const Utf16Char* name = family.name.c_str();
    const std::string utf8Name = utf8::FromUtf16(family.name);
    for (int k : family.sizes) {
        const Text text = family.pattern(k);
        const Utf16Char* pattern = text.c_str();
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
            const std::string utf8Pattern = utf8::FromUtf16(text);
            const double us = MicrosecondsPerCall(
                [&] { return Fnmatch(utf8Pattern.c_str(), utf8Name.c_str()); }, &glibcResult);
            std::printf(" %9.2f [%d]", us, glibcResult);
            fnmatchOn = us < kCapMicroseconds;
        } else {
            std::printf(" %13s", family.bytesAnswerAlike ? "(capped)" : "(bytes)");
        }
        std::printf("\n");
    }
    std::printf("\n");
}

// k copies of unit, one after the other.
Text Repeated(const Text& unit, int k) {
    Text out;
    for (int i = 0; i < k; ++i)
        out += unit;
    return out;
}

// A line of up to room units (259 unless given) filled with copies of one token, separated by
// blanks.
Text LineOf(const Text& token, std::size_t room = 259) {
    Text line = token;
    while (line.size() + 1 + token.size() <= room)
        line += U16(" ") + token;
    return line;
}

} // namespace

int main() {
    TypicalLines(NameKind::Ascii, "ASCII names");
    TypicalLines(NameKind::Japanese, "Japanese names");
    TypicalLines(NameKind::SurrogatePairs, "names with surrogate pairs");
    ClipboardNames();

    const Text runOfA(259, 'a');
    const std::vector<int> ks = {1, 2, 3, 4, 5, 6, 8, 12, 16, 32, 64, 96, 128, 129};
    Slowest slowest;
    WorstCaseFamily(
        {"(*a)^k b", [](int k) { return Repeated(U16("*a"), k) + U16("b"); }, ks, runOfA},
        &slowest);
    WorstCaseFamily(
        {"*^k X *^k", [](int k) { return Text(k, '*') + U16("X") + Text(k, '*'); }, ks, runOfA},
        &slowest);
    // The costliest shape for a last-star matcher: one star, then a long literal run that
    // fails only at its last unit, so every name position is retried nearly in full.
    WorstCaseFamily({"* a^k b",
                     [](int k) { return U16("*") + Text(k, 'a') + U16("b"); },
                     {1, 8, 32, 64, 128, 129, 160, 200, 257},
                     runOfA},
                    &slowest);
    WorstCaseFamily({"(*a?)^k b",
                     [](int k) { return Repeated(U16("*a?"), k) + U16("b"); },
                     {1, 2, 3, 4, 8, 32, 64, 86},
                     runOfA},
                    &slowest);
    // Pattern lines of 259 units filled with such tokens: each token costs its own pass
    // over the name (two for tokens without a dot), so short tokens cost the most in all.
    WorstCaseFamily({"line of (* a^k b) tokens, 259 units",
                     [](int k) { return LineOf(U16("*") + Text(k, 'a') + U16("b")); },
                     {1, 2, 4, 8, 16, 32, 64, 128},
                     runOfA},
                    &slowest);
    // The compiled line's own worst shapes. The name ends as every token does, so both
    // tries of each token pass the anchored checks and search a piece that fails only at
    // its last unit, in every word of the name's position sets.
    const Text runThenD = Text(258, 'a') + U16("d");
    WorstCaseFamily({"line of (* a^k b * d) tokens, 259 units",
                     [](int k) { return LineOf(U16("*") + Text(k, 'a') + U16("b*d")); },
                     {1, 2, 4, 8, 12, 16, 24, 32, 64, 128, 250},
                     runThenD},
                    &slowest);
    // Pieces that repeat a two-unit period fail only at their last unit too, and many
    // distinct units make many position sets to clear and fill.
    const Text periodic = Repeated(U16("ab"), 129);
    WorstCaseFamily({"line of (* (ab)^k c * b) tokens, 259 units",
                     [](int k) { return LineOf(U16("*") + Repeated(U16("ab"), k) + U16("c*b")); },
                     {1, 2, 4, 8, 16, 32, 64, 126},
                     periodic + U16("b")},
                    &slowest);
    // Tokens of two distinct units between stars: below 0x100 (read from the direct table)
    // and kanji (looked up in the hashed one).
    const auto distinctTokens = [](const Text& units) {
        return [units](int k) {
            Text line;
            for (std::size_t i = 0; line.size() + 5 <= 259; ++i) {
                line += line.empty() ? U16("*") : U16(" *");
                line += units[(i * static_cast<std::size_t>(k)) % units.size()];
                line += units[(i * static_cast<std::size_t>(k) + 1) % units.size()];
                line += U16("Z*");
            }
            return line;
        };
    };
    Text everyByte;
    for (Utf16Char c = 0x21; c < 0x100; ++c) {
        if (c != '*' && c != '?' && c != '.' && c != '|' && !(c >= 'a' && c <= 'z'))
            everyByte += c;
    }
    WorstCaseFamily({"line of (* x y Z *) tokens over distinct units below 0x100, 259 units",
                     distinctTokens(everyByte),
                     {1, 2, 3},
                     (everyByte + everyByte).substr(0, 259)},
                    &slowest);
    Text kanji;
    for (Utf16Char c = 0x4E00; c < 0x4E00 + 259; ++c)
        kanji += c;
    WorstCaseFamily({"line of (* x y Z *) tokens over distinct kanji, 259 units",
                     distinctTokens(kanji),
                     {1, 2, 3},
                     kanji},
                    &slowest);
    // The same behind a "|": every name is selected, and every try leaves it out or not.
    WorstCaseFamily(
        {"| then (* a^k b * d) tokens, 259 units",
         [](int k) { return U16("|") + LineOf(U16("*") + Text(k, 'a') + U16("b*d"), 258); },
         {1, 2, 4, 8, 16, 32, 64, 128},
         runThenD},
        &slowest);
    // A name of surrogate pairs against tokens holding "?": every try reads the name by
    // characters.
    const Text yoshi = U16("𠮷");
    WorstCaseFamily({"line of (* 𠮷^k ? b) tokens, name of 𠮷 pairs, 259 units",
                     [&yoshi](int k) { return LineOf(U16("*") + Repeated(yoshi, k) + U16("?b")); },
                     {1, 2, 4, 8, 16, 32, 64, 126},
                     Repeated(yoshi, 129) + U16("a"),
                     false},
                    &slowest);
    std::printf("Slowest WildcardMatch or MatchPatternLine call above: %.2f us (target: 100 us)\n",
                slowest.matcher);
    std::printf("Slowest compiled line above: %.3f us (target: 10 us)\n", slowest.compiled);
    return 0;
}
