// The command-line entry: the usage box, and the unattended install and removal.
#pragma once

#include <string>

// The process's arguments without the program's name, read in Unicode and given in UTF-8:
// WinMain's ANSI lpCmdLine has "?" for every character outside the code page.
std::string CommandLineArguments();

// Handles a command line with arguments and sets the process's exit code; false when there
// are none and the wizard is to run. `arguments` is CommandLineArguments()'s.
bool RunCommandLineMode(const char* arguments, int& exitCode);
