// The command-line entry: the usage box, and the unattended install and removal.
#pragma once

// Handles a command line with arguments and sets the process's exit code; false when there
// are none and the wizard is to run. `arguments` is WinMain's lpCmdLine (without the
// program's name).
bool RunCommandLineMode(const char* arguments, int& exitCode);
