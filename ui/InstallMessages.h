// The messages that tell the user how an installation ended.
#pragma once
#include <windows.h>

#include <string>

#include "install/InstallOutcome.h"

// The text for a failed installation: the step that failed, what it worked on, and
// Windows' own text for the error.
std::wstring DescribeInstallFailure(const InstallOutcome& outcome);
// Shows that text in the program's message box.
void ShowInstallFailure(HWND owner, const InstallOutcome& outcome);

// "错误：无法设置有关的注册表信息", shown when a registry setting cannot be written.
extern const wchar_t kRegistryFailureText[];
void ShowRegistryFailure(HWND owner);
