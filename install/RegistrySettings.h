// The two optional registry settings written after the printer exists: the user's default
// printer and the line settings of a COM port.
#pragma once
#include <string>

#include "install/InstallFeedback.h"
#include "install/RegistryWriter.h"

struct InstallChoices;

extern const char kWindowsKeyPath[];  // under HKEY_CURRENT_USER, or HKEY_USERS\<SID>
extern const char kPortsKeyPath[];    // under HKEY_LOCAL_MACHINE

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
bool WriteSerialSettings(RegistryWriter& registry, InstallFeedback& feedback, const InstallChoices& choices);
