#include "ui/SpoolerServicePrompt.h"

#include "win/Messages_win32.h"

bool AskStartSpooler(HWND owner)
{
    return MessageBoxW(owner, kStartSpoolerQuestion, AppTitle().c_str(), MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}

std::wstring SpoolerServiceErrorText(const SpoolerServiceCheck& check)
{
    return check.errorCode != 0 ? Win32ErrorText(check.errorCode) : std::wstring();
}

void ShowSpoolerFailure(HWND owner, const SpoolerServiceCheck& check, const std::wstring& what, uint32_t callError)
{
    ShowMessage(owner, SpoolerFailureText(check, SpoolerServiceErrorText(check), what, callError, Win32ErrorText(callError)));
}

void ShowSpoolerServiceProblem(HWND owner, const SpoolerServiceCheck& check)
{
    const std::wstring text = SpoolerServiceText(check, SpoolerServiceErrorText(check));
    if (!text.empty())
        ShowMessage(owner, text);
}
