// libFuzzer target: WildcardMatch answers exactly as the recursive definition for every
// pair of UTF-16 strings. The input is "pattern \0 name" in units (or split in the middle when
// it holds no zero unit). Inputs are kept short and to a few stars, or the exponential
// reference would dominate the run.
#include "tests/fuzz/utf16_input.h"
#include "tests/text/recursive_wildcard.h"
#include "text/wildcard.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kMaxPattern = 16;
constexpr std::size_t kMaxName = 32;
constexpr int kMaxStars = 6;

// A heap copy with its terminator and not one unit more, so that a read past it is caught.
std::unique_ptr<Utf16Char[]> ExactCopy(const testtext::Text& text) {
    std::unique_ptr<Utf16Char[]> copy(new Utf16Char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), (text.size() + 1) * sizeof(Utf16Char));
    return copy;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size & ~std::size_t{1});
    std::size_t split = bytes.size() / 4 * 2;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (bytes[i] == 0 && bytes[i + 1] == 0) {
            bytes.erase(i, 2);
            split = i;
            break;
        }
    }
    const testtext::Text pattern = fuzzinput::Units(bytes.substr(0, split));
    const testtext::Text name = fuzzinput::Units(bytes.substr(split));

    int stars = 0;
    for (Utf16Char c : pattern)
        stars += c == '*';
    if (pattern.size() > kMaxPattern || name.size() > kMaxName || stars > kMaxStars)
        return -1; // Not added to the corpus.

    const auto p = ExactCopy(pattern);
    const auto n = ExactCopy(name);
    const int actual = WildcardMatch(p.get(), n.get());
    const int expected = reference::RecursiveWildcardMatch(pattern.c_str(), name.c_str());
    if (actual != expected || pattern != p.get() || name != n.get()) {
        fuzzinput::Dump("pattern", pattern);
        fuzzinput::Dump("name", name);
        std::fprintf(stderr, "WildcardMatch gave %d, the definition %d\n", actual, expected);
        std::abort();
    }
    return 0;
}
