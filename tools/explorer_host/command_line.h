// The command lines of the stand-in Explorer and the dialog driver: their own arguments, and
// the one the driver starts a program with.
#pragma once

#include <string>
#include <vector>

// The program's arguments without its own name, in the ANSI code page.
std::vector<std::string> CommandLineArguments();

// A command line that the program's own parser reads back as these arguments: an argument
// with blanks is quoted.
std::string JoinCommandLine(const std::vector<std::string>& arguments);
