// The installation procedures of the printer settings page: they read the page's controls
// and the port page's choice, and run the installation against the real system.
#include "ui/PrinterSettingDlg.h"

#include "ui/Globals.h"
#include "system/DesktopAccount_win32.h"
#include "install/InstallSystem_win32.h"
#include "install/InstallFailureText.h"
#include "install/Installation.h"
#include "install/PackageSeal.h"
#include "install/ServiceCheckedSpooler.h"
#include "ui/PageSpoolerService_win32.h"
#include "system/PrintPolicies.h"
#include "system/TextConversion_win32.h"
#include "win/Messages_win32.h"
#include "res/resource.h"
#include "ui/InstallMessages.h"
#include "ui/PortSelectDlg.h"
#include "ui/SpoolerServicePrompt.h"

static_assert(IDR_PACKAGE_SEAL == kPackageSealResourceId, "the seal is read from the resource the .rc file makes");

namespace {

// The port page's progress bar (when there is a port page), the registry message and the
// question about a warned driver, owned by the page the installation runs from, and a real pause.
class PortPageFeedback : public InstallFeedback {
public:
    PortPageFeedback(CProgressCtrl* progress, HWND page) : m_progress(progress), m_page(page) {}
    void SetProgress(int position) override
    {
        if (m_progress != nullptr)
            m_progress->SetPos(position);
    }
    void ShowRegistryMessage() override { ShowRegistryFailure(m_page); }
    void Pause(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }
    Answer AskInstallWarnedDriver(const std::string& driverName) override
    {
        const std::wstring question = WarnedDriverQuestion(WidenAnsi(driverName));
        return MessageBoxW(m_page, question.c_str(), AppTitle().c_str(),
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES
                   ? Answer::Yes
                   : Answer::No;
    }

private:
    CProgressCtrl* m_progress;
    HWND m_page;
};

}  // namespace

InstallOutcome CPrinterSettingDlg::InstallPrinterX86() { return InstallPrinterFor(HostArchitecture::X86); }
InstallOutcome CPrinterSettingDlg::InstallPrinterX64() { return InstallPrinterFor(HostArchitecture::X64); }
InstallOutcome CPrinterSettingDlg::InstallPrinterArm64() { return InstallPrinterFor(HostArchitecture::Arm64); }

InstallOutcome CPrinterSettingDlg::InstallPrinterFor(HostArchitecture host)
{
    g_strPort = g_pPortDlg != nullptr ? g_pPortDlg->m_strPort : std::string();

    // The controls are read by ID through the page's window, whoever set up the members.
    auto selection = [this](int id) {
        /* If no item is selected, it returns CB_ERR (-1) */
        return static_cast<int>(SendDlgItemMessageA(m_hWnd, id, CB_GETCURSEL, 0, 0));
    };
    m_defaultCheck = CButton(GetDlgItem(IDC_PS_SET_DEFAULT));
    m_pDefaultCheck = &m_defaultCheck;

    InstallChoices choices;
    choices.host = host;
    choices.port = g_strPort;
    choices.modelIndex = selection(IDC_PS_MODEL_COMBO);
    choices.portComboIndex = selection(IDC_PS_PORT_COMBO);
    choices.baudIndex = selection(IDC_PS_BAUD_COMBO);
    choices.dataBitsIndex = selection(IDC_PS_DATABITS_COMBO);
    choices.stopBitsIndex = selection(IDC_PS_STOPBITS_COMBO);
    choices.parityIndex = selection(IDC_PS_PARITY_COMBO);
    choices.flowIndex = selection(IDC_PS_FLOW_COMBO);
    // Only a plain check counts; an indeterminate state does not make a default printer.
    choices.setDefaultPrinter = m_pDefaultCheck->GetCheck() == BST_CHECKED;
    choices.monitorName = g_szMonitor;
    if (choices.setDefaultPrinter) {
        // Over-the-shoulder elevation: the person at the desktop is not the account we run as.
        Win32AccountQuery accounts;
        const DefaultPrinterTarget target = ChooseDefaultPrinterTarget(accounts);
        choices.defaultPrinterUser = target.sid;
        if (target.hive == DefaultPrinterHive::NobodyLoggedOn)
            choices.setDefaultPrinter = false;
    }

    // The port page's "&Install" runs it: that page waits for the service and owns the boxes.
    CDialog& page = g_pPortDlg != nullptr ? static_cast<CDialog&>(*g_pPortDlg) : *this;
    Win32DriverSpooler driverSpooler;
    PageSpoolerGuard service(page, CPortSelectDlg::kServiceLineArea);
    ServiceCheckedDriverSpooler spooler(driverSpooler, service.Guard());
    Win32PackageFiles files;
    Win32RegistryWriter registry;
    PortPageFeedback feedback(g_pPortDlg != nullptr ? &g_pPortDlg->m_progress : nullptr, page.GetSafeHwnd());
    InstallSystem system{spooler, files, registry, feedback};
    system.policies = CurrentPrintPolicies();
    system.elevated = ProcessRunsElevated();
    system.seal = &ProgramSeal();
    InstallOutcome outcome = RunInstallation(choices, system);
    outcome.spoolerService = service.Check();
    return outcome;
}
