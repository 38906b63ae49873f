#include "system/DesktopAccount.h"

#include "system/TextCompare.h"

bool IsServiceAccount(const std::string& sid)
{
    return SameTextIgnoringCase(sid, "S-1-5-18") || SameTextIgnoringCase(sid, "S-1-5-19") ||
           SameTextIgnoringCase(sid, "S-1-5-20");
}

DefaultPrinterTarget ChooseDefaultPrinterTarget(AccountQuery& accounts)
{
    DefaultPrinterTarget target;
    std::string own, shell;
    // Without our own account there is nothing to compare with: HKCU, the installing account's own.
    if (!accounts.ProcessAccount(own) || own.empty())
        return target;
    if (accounts.DesktopShellAccount(shell) && !shell.empty()) {
        if (!SameTextIgnoringCase(own, shell)) {
            target.hive = DefaultPrinterHive::DesktopUser;
            target.sid = shell;
        }
        return target;
    }
    // No shell: a person running us without Explorer (a replacement shell, a console session)
    // is still the person whose HKCU we have; a service account has no person behind it.
    if (IsServiceAccount(own))
        target.hive = DefaultPrinterHive::NobodyLoggedOn;
    return target;
}
