// libFuzzer target: WildcardMatch answers exactly as the recursive definition for every
// pair of byte strings. The input is "pattern \0 name" (or split in the middle when it
// holds no zero byte). Inputs are kept short and to a few stars, or the exponential
// reference would dominate the run.
#include "tests/text/recursive_wildcard.h"
#include "text/wildcard.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kMaxPattern = 16;
constexpr std::size_t kMaxName = 32;
constexpr int kMaxStars = 6;

void Dump(const char* label, const std::string& bytes) {
    std::fprintf(stderr, "%s:", label);
    for (unsigned char c : bytes)
        std::fprintf(stderr, " %02X", c);
    std::fprintf(stderr, "\n");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* zero = std::memchr(bytes, 0, size);
    const std::size_t split = zero != nullptr
                                  ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes)
                                  : size / 2;
    const std::string pattern(bytes, split);
    std::string name(bytes + split, size - split);
    if (zero != nullptr)
        name.erase(0, 1);
    name = name.substr(0, name.find('\0'));

    int stars = 0;
    for (char c : pattern)
        stars += c == '*';
    if (pattern.size() > kMaxPattern || name.size() > kMaxName || stars > kMaxStars)
        return -1; // Not added to the corpus.

    // Exactly sized heap copies, so that a read past a terminator is caught.
    char* p = new char[pattern.size() + 1];
    char* n = new char[name.size() + 1];
    std::memcpy(p, pattern.c_str(), pattern.size() + 1);
    std::memcpy(n, name.c_str(), name.size() + 1);

    const int actual = WildcardMatch(p, n);
    const int expected = reference::RecursiveWildcardMatch(pattern.c_str(), name.c_str());
    if (actual != expected || std::memcmp(p, pattern.c_str(), pattern.size() + 1) != 0 ||
        std::memcmp(n, name.c_str(), name.size() + 1) != 0) {
        Dump("pattern", pattern);
        Dump("name", name);
        std::fprintf(stderr, "WildcardMatch gave %d, the definition %d\n", actual, expected);
        std::abort();
    }
    delete[] p;
    delete[] n;
    return 0;
}
