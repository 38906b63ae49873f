// The two choices of an unattended install that a dialog would otherwise have made: the
// network printer's port (/tcp) and whose default printer it becomes.
#include "app/QuietMode.h"

#include "install/TcpPort.h"

namespace {

std::wstring Ascii(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

std::wstring ErrorText(QuietSystem& system, uint32_t error)
{
    return system.errorText(error) + L" (error " + std::to_wstring(error) + L")";
}

}  // namespace

bool PrepareTcpPort(const CommandLineOptions& options, QuietSystem& system)
{
    const std::string name = TcpPortName(options.tcpAddress);
    const std::wstring monitor = Quoted(Ascii(kTcpMonitorName));
    const std::wstring target = Ascii(options.tcpAddress.host) + L" port " +
                                std::to_wstring(options.tcpAddress.portNumber) + L" (RAW)";
    if (system.xcv == nullptr) {
        system.log.Write(L"The " + monitor + L" port monitor cannot be reached. Nothing was installed.");
        return false;
    }
    const XcvAddPortResult result = system.xcv->AddPort(kTcpMonitorName, PortData1Record(name, options.tcpAddress));
    if (!result.monitorOpened) {
        system.log.Write(L"The " + monitor + L" port monitor is not available on this computer: " +
                         ErrorText(system, result.error) + L". Nothing was installed.");
        return false;
    }
    if (result.error == kErrorAlreadyExists) {
        // An administrator's earlier run or own port of that name: the printer goes there.
        system.log.Write(L"Port " + Quoted(Ascii(name)) + L" exists already and is used as it is.");
        return true;
    }
    if (result.error != 0) {
        system.log.Write(L"Port " + Quoted(Ascii(name)) + L" to " + target + L" could not be created: " +
                         ErrorText(system, result.error) + L". Nothing was installed.");
        return false;
    }
    system.log.Write(L"Port " + Quoted(Ascii(name)) + L" created by " + monitor + L" for " + target + L".");
    return true;
}

void ChooseDefaultPrinterUser(QuietSystem& system, InstallChoices& choices)
{
    if (system.accounts == nullptr)
        return;
    const DefaultPrinterTarget target = ChooseDefaultPrinterTarget(*system.accounts);
    switch (target.hive) {
    case DefaultPrinterHive::CurrentUser:
        break;
    case DefaultPrinterHive::DesktopUser:
        choices.defaultPrinterUser = target.sid;
        system.log.Write(L"The default printer is set for the user at the desktop (" + Ascii(target.sid) +
                         L"), who is not the account this runs as.");
        break;
    case DefaultPrinterHive::NobodyLoggedOn:
        choices.setDefaultPrinter = false;
        system.log.Write(L"No one is logged on at the desktop: no user's default printer is set.");
        break;
    }
}
