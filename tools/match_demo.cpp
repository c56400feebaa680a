// match-demo FOLDER [LINE...]: shows which names of a folder each pattern line selects,
// the decision that Vestrane makes for every item of an Explorer window. The folder's names
// and the lines typed on the terminal are read as UTF-8 and matched in UTF-16, as Windows
// holds names; the conversion is done here, whatever the locale.
#include "engine/pattern_line.h"
#include "bench/utf8_text.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Printable(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        if (c == '\t')
            out += "<TAB>";
        else
            out += c;
    }
    return out;
}

std::vector<std::string> FolderNames(const char* folder) {
    std::vector<std::string> names;
    DIR* directory = opendir(folder);
    if (directory == nullptr)
        return names;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

// The names in rows of about 90 columns.
void PrintRows(const std::vector<std::string>& names, const char* indent) {
    std::string row;
    for (const std::string& name : names) {
        if (!row.empty() && row.size() + name.size() > 90) {
            std::printf("%s%s\n", indent, row.c_str());
            row.clear();
        }
        row += name + "   ";
    }
    std::printf("%s%s\n\n", indent, names.empty() ? "(nothing)" : row.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: match-demo FOLDER [PATTERN-LINE...]\n");
        return 2;
    }
    const std::vector<std::string> names = FolderNames(argv[1]);
    if (names.empty()) {
        std::fprintf(stderr, "match-demo: no names in %s\n", argv[1]);
        return 1;
    }
    std::printf("Folder %s holds %zu names:\n\n", argv[1], names.size());
    PrintRows(names, "  ");

    for (int i = 2; i < argc; ++i) {
        const utf8::Text line = utf8::ToUtf16(argv[i]);
        std::vector<std::string> selected;
        for (const std::string& name : names) {
            if (MatchPatternLine(line.c_str(), utf8::ToUtf16(name).c_str()) == 1)
                selected.push_back(name);
        }
        std::printf("Line \"%s\" selects %zu of %zu:\n", Printable(argv[i]).c_str(),
                    selected.size(), names.size());
        PrintRows(selected, "    ");
    }
    return 0;
}
