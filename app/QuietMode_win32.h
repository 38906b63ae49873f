// The command-line entry: the usage box, and the unattended install and removal.
#pragma once

#include <memory>
#include <string>

class QuietLog;

// The process's arguments without the program's name, read in Unicode and given in UTF-8:
// WinMain's ANSI lpCmdLine has "?" for every character outside the code page.
std::string CommandLineArguments();

// Handles a command line with arguments and sets the process's exit code; false when there
// are none and the wizard is to run. `arguments` is CommandLineArguments()'s.
bool RunCommandLineMode(const char* arguments, int& exitCode);

// The /log file opened for appending (UTF-8, one timestamped line per event), or with an empty
// path a log that keeps nothing; null when the file cannot be opened.
std::unique_ptr<QuietLog> OpenQuietLog(const std::string& path);
