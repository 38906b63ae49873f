// Placeholder until the installation engine lands.
#include "ui/InstallMessages.h"

#include "app/Messages_win32.h"

std::wstring DescribeInstallFailure(const InstallOutcome&)
{
    return L"The installation failed.";
}

void ShowInstallFailure(const InstallOutcome& outcome)
{
    ShowMessage(DescribeInstallFailure(outcome));
}
