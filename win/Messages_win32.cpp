#include "win/Messages_win32.h"
#include "system/DecimalText.h"

std::wstring AppTitle()
{
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name.erase(0, slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos)
        name.erase(dot);
    return name;
}

void ShowMessage(const std::wstring& text)
{
    ShowMessage(GetActiveWindow(), text);
}

void ShowMessage(HWND owner, const std::wstring& text)
{
    MessageBoxW(owner, text.c_str(), AppTitle().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::wstring Win32ErrorText(DWORD errorCode)
{
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length && buffer) {
        text.assign(buffer, length);
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty())
        text = L"Error " + DecimalText(errorCode);
    return text;
}
