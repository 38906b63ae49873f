#include "ui/InstallMessages.h"

#include "system/TextConversion_win32.h"
#include "win/Messages_win32.h"
#include "install/InstallFailureText.h"
#include "ui/SpoolerServicePrompt.h"

// Shown through the Unicode API so that it reads right whatever the system's code page.
const wchar_t kRegistryFailureText[] = L"错误：无法设置有关的注册表信息";

std::wstring DescribeInstallFailure(const InstallOutcome& outcome)
{
    std::wstring errorText = outcome.errorCode != 0 ? Win32ErrorText(outcome.errorCode) : std::wstring();
    return LeadWithSpoolerService(outcome.spoolerService, SpoolerServiceErrorText(outcome.spoolerService),
                                  ComposeInstallFailure(outcome, errorText, WidenAnsi));
}

void ShowInstallFailure(HWND owner, const InstallOutcome& outcome)
{
    ShowMessage(owner, DescribeInstallFailure(outcome));
}

void ShowRegistryFailure(HWND owner)
{
    ShowMessage(owner, kRegistryFailureText);
}
