// match-demo FOLDER [LINE...]: shows which names of a folder each pattern line selects,
// the decision that Vestrane makes for every item of an Explorer window. The folder's
// names are code page 932 bytes, as on Japanese Windows; lines typed on the terminal are
// UTF-8 and are converted to code page 932 first, and names are converted back to UTF-8
// for printing.
#include "engine/pattern_line.h"
#include "text/dbcs.h"

#include <dirent.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Convert(const std::string& text, const char* to, const char* from) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outAt = &out[0];
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(converter, &in, &inLeft, &outAt, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        // A byte the other side cannot show: print a question mark and go on.
        if (outLeft == 0)
            break;
        *outAt++ = '?';
        --outLeft;
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

std::string ToTerminal(const std::string& cp932) {
    return Convert(cp932, "UTF-8", "CP932");
}
std::string FromTerminal(const std::string& utf8) {
    return Convert(utf8, "CP932", "UTF-8");
}

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
        if (name != "." && name != ".." && name.size() < 260)
            names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

// What the extension derives from the file that was right-clicked: its folder, its name
// and the pattern offered as the first line of the dialog.
void ShowRightClick(const std::string& windowsPath) {
    char folder[261];
    char pattern[262];
    std::snprintf(folder, sizeof folder, "%s", windowsPath.c_str());
    CutAtLastBackslash(folder);
    MakeExtensionPattern(pattern, windowsPath.c_str());
    std::printf("  right-click on %s\n", ToTerminal(windowsPath).c_str());
    std::printf("      folder %-22s name %-18s offered line \"%s\"\n", ToTerminal(folder).c_str(),
                ToTerminal(FileNamePart(windowsPath.c_str())).c_str(), ToTerminal(pattern).c_str());
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
    std::printf("Folder %s holds %zu names (code page 932 bytes, shown here in UTF-8):\n\n",
                argv[1], names.size());
    std::string row;
    for (const std::string& name : names) {
        const std::string shown = ToTerminal(name);
        if (row.size() + shown.size() > 90) {
            std::printf("  %s\n", row.c_str());
            row.clear();
        }
        row += shown + "   ";
    }
    std::printf("  %s\n\n", row.c_str());

    std::printf("What a right-click hands the extension (the second byte of ソ and 表 is a "
                "backslash, 0x5C):\n");
    ShowRightClick("C:\\Sample\\memo.txt");
    ShowRightClick(FromTerminal("C:\\ソフト\\予定表.txt"));
    ShowRightClick(FromTerminal("C:\\Sample\\archive.tar.gz"));
    ShowRightClick(FromTerminal("C:\\ソフト\\Makefile"));
    std::printf("\n");

    for (int i = 2; i < argc; ++i) {
        const std::string line = FromTerminal(argv[i]);
        std::vector<std::string> selected;
        for (const std::string& name : names) {
            if (MatchPatternLine(line.c_str(), name.c_str()) == 1)
                selected.push_back(ToTerminal(name));
        }
        std::printf("Line \"%s\" selects %zu of %zu:\n", Printable(argv[i]).c_str(),
                    selected.size(), names.size());
        row.clear();
        for (const std::string& shown : selected) {
            if (row.size() + shown.size() > 90) {
                std::printf("    %s\n", row.c_str());
                row.clear();
            }
            row += shown + "   ";
        }
        std::printf("    %s\n\n", selected.empty() ? "(nothing)" : row.c_str());
    }
    return 0;
}
