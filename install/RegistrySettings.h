// The two optional registry settings written after the printer exists: the user's default
// printer and the line settings of a COM port.
#pragma once
#include <string>

#include "install/InstallFeedback.h"
#include "install/RegistryWriter.h"

struct InstallChoices;
struct InstallOutcome;

extern const char kWindowsKeyPath[];  // under HKEY_CURRENT_USER, or HKEY_USERS\<SID>
extern const char kPortsKeyPath[];    // under HKEY_LOCAL_MACHINE
extern const char kLegacyDefaultPrinterModeValue[];  // "LegacyDefaultPrinterMode", in the Windows key
// Our own key in the same user's hive, and the value there that remembers what
// LegacyDefaultPrinterMode was before the installation set it: "absent" or its number.
extern const char kSetupKeyPath[];
extern const char kLegacyModeBeforeValue[];
extern const char kValueWasAbsent[];

// Where a user's setting lives: HKEY_CURRENT_USER's key at `path` when `userSid` is empty
// (the installing account is the user), else that of the loaded hive HKEY_USERS\<userSid>.
void UserHiveKey(const std::string& userSid, const char* path, RegistryRoot& root, std::string& fullPath);

// "<driver>,winspool,<port>"
std::string DefaultPrinterData(const std::string& driverName, const std::string& port);
// "<baud>,<parity>,<data bits>,<stop bits>,<flow>"; false when an index is outside its table.
bool SerialSettingData(const InstallChoices& choices, std::string& data);
// The COM port's value name ("COM1:".."COM4:") when the port combo names a COM port.
bool SerialPortValueName(int portComboIndex, std::string& name);

// Each answers false when the value could not be written; the registry message was shown then.
// The default printer goes to the hive of `userSid` (HKEY_USERS\<SID>, which must be loaded:
// the user is logged on), or to HKCU when it is empty; a written value is announced.
bool WriteDefaultPrinter(RegistryWriter& registry, InstallFeedback& feedback, const std::string& driverName,
                         const std::string& port, const std::string& userSid = std::string());
// Windows 10 and later: sets LegacyDefaultPrinterMode to 1 in the hive the default printer went
// to, so that Windows does not move the default to the last printer used, and remembers the
// value before in kSetupKeyPath for the removal. A value that is 1 already, or not a DWORD, is
// left as it is. The outcome says which; false (the registry message shown) when a write failed.
bool KeepDefaultPrinterUserManaged(RegistryWriter& registry, InstallFeedback& feedback, const std::string& userSid,
                                   InstallOutcome& outcome);
bool WriteSerialSettings(RegistryWriter& registry, InstallFeedback& feedback, const InstallChoices& choices);
