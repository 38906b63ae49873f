#include "install/RegistrySettings.h"

#include <cstdint>
#include <iterator>

#include "install/Installation.h"
#include "install/ModelCatalogue.h"

const char kWindowsKeyPath[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char kPortsKeyPath[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

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

}  // namespace

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
    RegistryRoot root = RegistryRoot::CurrentUser;
    std::string path = kWindowsKeyPath;
    if (!userSid.empty()) {
        // Only a loaded hive: creating the path would make a key of that name under
        // HKEY_USERS that is nobody's profile.
        if (registry.OpenKey(RegistryRoot::Users, userSid, key) != 0) {
            feedback.ShowRegistryMessage();
            return false;
        }
        registry.CloseKey(key);
        root = RegistryRoot::Users;
        path = userSid + "\\" + kWindowsKeyPath;
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
