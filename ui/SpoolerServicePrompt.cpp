#include "ui/SpoolerServicePrompt.h"

#include "win/Messages_win32.h"

bool AskStartSpooler()
{
    return MessageBoxW(GetActiveWindow(), kStartSpoolerQuestion, AppTitle().c_str(), MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}

std::wstring SpoolerServiceErrorText(const SpoolerServiceCheck& check)
{
    return check.errorCode != 0 ? Win32ErrorText(check.errorCode) : std::wstring();
}

void ShowSpoolerFailure(const SpoolerServiceCheck& check, const std::wstring& what, uint32_t callError)
{
    ShowMessage(SpoolerFailureText(check, SpoolerServiceErrorText(check), what, callError, Win32ErrorText(callError)));
}

void ShowSpoolerServiceProblem(const SpoolerServiceCheck& check)
{
    const std::wstring text = SpoolerServiceText(check, SpoolerServiceErrorText(check));
    if (!text.empty())
        ShowMessage(text);
}
