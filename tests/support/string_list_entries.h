// A string list read the way every caller reads it (GetFirst, then GetNext until none), for
// comparing a list as a whole.
#pragma once

#include <string>
#include <vector>

#include "text/string_list.h"

template <typename Char> std::vector<std::basic_string<Char>> Entries(BasicStringList<Char>& list) {
    std::vector<std::basic_string<Char>> texts;
    for (const Char* text = list.GetFirst(); text != nullptr; text = list.GetNext())
        texts.emplace_back(text);
    return texts;
}
