// The accounts of this process and of the desktop shell, from the system, and the broadcast
// that tells running programs about a new default printer.
#pragma once
#include "system/DesktopAccount.h"

class Win32AccountQuery : public AccountQuery {
public:
    bool ProcessAccount(std::string& sid) override;
    bool DesktopShellAccount(std::string& sid) override;
};
