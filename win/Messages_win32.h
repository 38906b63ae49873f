// Message boxes, and the one helper that turns a Win32 error into Windows' own text.
#pragma once
#include <windows.h>

#include <string>

// The caption of every box: the program file's name without folder and extension.
std::wstring AppTitle();

// Modal, OK only, exclamation icon, owned by the active window. The text is Unicode, so it reads
// right on a system of any code page.
void ShowMessage(const std::wstring& text);
// The same box owned by `owner` (a page): the page stays disabled while it shows, whichever
// window is active.
void ShowMessage(HWND owner, const std::wstring& text);

// Windows' own description of an error code (FormatMessageW), without the trailing line break.
std::wstring Win32ErrorText(DWORD errorCode);
