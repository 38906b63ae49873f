// The accounts of this process and of the desktop shell, from the system, and the broadcast
// that tells running programs about a new default printer.
#pragma once
#include "system/DesktopAccount.h"

class Win32AccountQuery : public AccountQuery {
public:
    bool ProcessAccount(std::string& sid) override;
    bool DesktopShellAccount(std::string& sid) override;
};

// Whether this process runs with an elevated token (TokenElevation, Vista and later). Before
// Vista there is no elevation to believe in: false.
bool ProcessRunsElevated();
