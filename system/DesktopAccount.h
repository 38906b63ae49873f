// Whose default printer to set. The default printer is a per-user setting (HKCU), but the
// process that installs is not always the person at the desktop: a standard user who typed an
// administrator's password runs it as that administrator (over-the-shoulder elevation), and a
// deployment tool runs it as SYSTEM. The account of the desktop shell's process is the person
// at the desktop; their hive is loaded under HKEY_USERS\<SID> while they are logged on.
#pragma once
#include <string>

class AccountQuery {
public:
    virtual ~AccountQuery() = default;
    // The SID ("S-1-5-...") of the account this process runs as; false when it cannot be read.
    virtual bool ProcessAccount(std::string& sid) = 0;
    // The SID of the account of the desktop shell's process (Explorer) in the interactive
    // session; false when there is no shell, i.e. no one is logged on at the console.
    virtual bool DesktopShellAccount(std::string& sid) = 0;
};

enum class DefaultPrinterHive {
    CurrentUser,     // this process's own HKCU: it is the person at the desktop
    DesktopUser,     // HKEY_USERS\<sid>: another account is at the desktop
    NobodyLoggedOn,  // a service account with no one at the desktop: leave it
};

struct DefaultPrinterTarget {
    DefaultPrinterHive hive = DefaultPrinterHive::CurrentUser;
    std::string sid;  // DesktopUser: the hive's SID
};

DefaultPrinterTarget ChooseDefaultPrinterTarget(AccountQuery& accounts);

// LocalSystem, LocalService, NetworkService: accounts that no person logs on as.
bool IsServiceAccount(const std::string& sid);
