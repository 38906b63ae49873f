#include "install/RegistrySettings.h"

#include <cstdint>
#include <iterator>

#include "install/InstallOutcome.h"
#include "install/Installation.h"
#include "install/ModelCatalogue.h"

const char kWindowsKeyPath[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char kPortsKeyPath[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
const char kLegacyDefaultPrinterModeValue[] = "LegacyDefaultPrinterMode";
const char kSetupKeyPath[] = "Software\\PrinterSetup";
const char kLegacyModeBeforeValue[] = "LegacyDefaultPrinterModeBefore";
const char kValueWasAbsent[] = "absent";

namespace {

template <size_t N>
bool Lookup(const char* const (&table)[N], int index, const char*& text)
{
    if (index < 0 || static_cast<size_t>(index) >= N)
        return false;
    text = table[index];
    return true;
}

// REG_SZ data goes with its terminating zero counted.
uint32_t StringSize(const std::string& data)
{
    return static_cast<uint32_t>(data.size() + 1);
}

bool WriteStringValue(RegistryWriter& registry, RegistryRoot root, const std::string& path, const std::string& name,
                      const std::string& data)
{
    RegistryKey key = nullptr;
    if (registry.CreateKey(root, path, key) != 0)
        return false;
    const bool written = registry.SetStringValue(key, name, data.c_str(), StringSize(data)) == 0;
    registry.CloseKey(key);
    return written;
}

}  // namespace

void UserHiveKey(const std::string& userSid, const char* path, RegistryRoot& root, std::string& fullPath)
{
    root = userSid.empty() ? RegistryRoot::CurrentUser : RegistryRoot::Users;
    fullPath = userSid.empty() ? std::string(path) : userSid + "\\" + path;
}

std::string DefaultPrinterData(const std::string& driverName, const std::string& port)
{
    return driverName + ",winspool," + port;
}

bool SerialSettingData(const InstallChoices& choices, std::string& data)
{
    const char *baud, *parity, *dataBits, *stopBits, *flow;
    if (!Lookup(SerialSettingTables::baudRate, choices.baudIndex, baud) ||
        !Lookup(SerialSettingTables::parity, choices.parityIndex, parity) ||
        !Lookup(SerialSettingTables::dataBits, choices.dataBitsIndex, dataBits) ||
        !Lookup(SerialSettingTables::stopBits, choices.stopBitsIndex, stopBits) ||
        !Lookup(SerialSettingTables::flowControl, choices.flowIndex, flow))
        return false;
    data = std::string(baud) + "," + parity + "," + dataBits + "," + stopBits + "," + flow;
    return true;
}

bool SerialPortValueName(int portComboIndex, std::string& name)
{
    const char* text;
    // Indexes 0..2 are the LPT ports, which have no line settings.
    if (portComboIndex < 3 || !Lookup(SerialSettingTables::portValueName, portComboIndex, text))
        return false;
    name = text;
    return true;
}

bool WriteDefaultPrinter(RegistryWriter& registry, InstallFeedback& feedback, const std::string& driverName,
                         const std::string& port, const std::string& userSid)
{
    const std::string data = DefaultPrinterData(driverName, port);
    RegistryKey key = nullptr;
    RegistryRoot root;
    std::string path;
    UserHiveKey(userSid, kWindowsKeyPath, root, path);
    if (!userSid.empty()) {
        // Only a loaded hive: creating the path would make a key of that name under
        // HKEY_USERS that is nobody's profile.
        if (registry.OpenKey(RegistryRoot::Users, userSid, key) != 0) {
            feedback.ShowRegistryMessage();
            return false;
        }
        registry.CloseKey(key);
    }
    // A fresh profile has no Windows key yet; it is created rather than the setting dropped.
    if (registry.CreateKey(root, path, key) != 0) {
        feedback.ShowRegistryMessage();
        return false;
    }
    bool written = registry.SetStringValue(key, "Device", data.c_str(), StringSize(data)) == 0;
    if (!written)
        feedback.ShowRegistryMessage();
    registry.CloseKey(key);
    if (written)
        registry.AnnounceSettingChange("windows");
    return written;
}

bool KeepDefaultPrinterUserManaged(RegistryWriter& registry, InstallFeedback& feedback, const std::string& userSid,
                                   InstallOutcome& outcome)
{
    RegistryRoot root;
    std::string windowsPath, setupPath;
    UserHiveKey(userSid, kWindowsKeyPath, root, windowsPath);
    UserHiveKey(userSid, kSetupKeyPath, root, setupPath);
    RegistryKey key = nullptr;
    if (registry.CreateKey(root, windowsPath, key) != 0) {
        feedback.ShowRegistryMessage();
        return false;
    }
    RegistryDword current;
    bool done = registry.ReadValue(key, kLegacyDefaultPrinterModeValue, current) == 0;
    if (done && current.IsDword(1)) {
        // The user's own choice, or an earlier run's, whose record of the value before stays.
        outcome.defaultPrinterMode = DefaultPrinterMode::AlreadyUserManaged;
    } else if (done && current.kind == RegistryDword::Kind::OtherType) {
        // Not what Windows writes: someone else's, and not ours to overwrite.
        outcome.defaultPrinterMode = DefaultPrinterMode::NotADword;
    } else if (done) {
        const std::string before =
            current.kind == RegistryDword::Kind::Absent ? std::string(kValueWasAbsent) : std::to_string(current.dword);
        // The record first: a value changed without it could not be put back by the removal.
        done = WriteStringValue(registry, root, setupPath, kLegacyModeBeforeValue, before) &&
               registry.SetDwordValue(key, kLegacyDefaultPrinterModeValue, 1) == 0;
        if (done) {
            outcome.defaultPrinterMode = DefaultPrinterMode::SetToUserManaged;
            outcome.legacyModeBefore = before;
        }
    }
    registry.CloseKey(key);
    if (!done)
        feedback.ShowRegistryMessage();
    else if (outcome.defaultPrinterMode == DefaultPrinterMode::SetToUserManaged)
        registry.AnnounceSettingChange("windows");
    return done;
}

bool WriteSerialSettings(RegistryWriter& registry, InstallFeedback& feedback, const InstallChoices& choices)
{
    std::string valueName, data;
    if (!SerialPortValueName(choices.portComboIndex, valueName))
        return true;
    if (!SerialSettingData(choices, data)) {
        feedback.ShowRegistryMessage();
        return false;
    }
    RegistryKey key = nullptr;
    // Without the right to write the machine's Ports key the setting is left out quietly.
    if (registry.OpenKey(RegistryRoot::LocalMachine, kPortsKeyPath, key) != 0)
        return true;
    bool written = registry.SetStringValue(key, valueName, data.c_str(), StringSize(data)) == 0;
    if (!written)
        feedback.ShowRegistryMessage();
    registry.CloseKey(key);
    return written;
}
