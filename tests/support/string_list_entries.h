// A StringList read the way every caller reads it (GetFirst, then GetNext until none), for
// comparing a list as a whole.
#pragma once

#include <string>
#include <vector>

#include "text/string_list.h"

inline std::vector<std::string> Entries(StringList& list) {
    std::vector<std::string> texts;
    for (const char* text = list.GetFirst(); text != nullptr; text = list.GetNext())
        texts.emplace_back(text);
    return texts;
}
