#include "ui/PortSelectDlg.h"

#include "ui/Globals.h"
#include "win/Messages_win32.h"
#include "system/HostArchitecture.h"
#include "ports/PortOperations.h"
#include "ports/PortSpooler_win32.h"
#include "ports/ServiceCheckedPortSpooler.h"
#include "ui/PageSpoolerService_win32.h"
#include "res/resource.h"
#include "ui/CreatePortDlg.h"
#include "ui/InstallMessages.h"
#include "ui/PrinterSettingDlg.h"
#include "ui/SpoolerServicePrompt.h"

const wchar_t* const CPortSelectDlg::kSelectPortMessage = L"Please select a port.";
const wchar_t* const CPortSelectDlg::kNoSettingsPageMessage =
    L"The printer settings are not available, so nothing was installed.";

const wchar_t* const CPortSelectDlg::kPortNameOutsideCodePageMessage[2] = {
    L"The port \"",
    L"\" cannot be used by this setup: its name has characters outside this system's code page, "
    L"so the printer would be put on a port of another name that does not exist.\n\n"
    L"Choose another port, or create one whose name uses only characters of the system's language. "
    L"Nothing was changed."};

CPortSelectDlg::CPortSelectDlg(HWND parent) : CDialog(IDD_PORT_SELECT, parent) {}

CPortSelectDlg::~CPortSelectDlg() = default;

bool CPortSelectDlg::DoDataExchange(bool saving)
{
    if (saving)
        return true;  // nothing is exchanged: the readers query the controls directly
    m_progress.Attach(GetDlgItem(IDC_PP_PROGRESS));
    m_list.Attach(GetDlgItem(IDC_PP_PORT_LIST));
    return m_progress.GetSafeHwnd() && m_list.GetSafeHwnd();
}

BOOL CPortSelectDlg::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return FALSE;
    m_list.ApplyFilledListStyle();
    m_list.InsertColumn(0, "Port", 150);
    m_list.InsertColumn(1, "Type", 280);
    FillPorts();
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    return TRUE;  // the focus goes to the port list
}

// Left of "Create Port...", between the list and the progress bar.
const RECT CPortSelectDlg::kServiceLineArea = {7, 145, 150, 161};

const wchar_t* const CPortSelectDlg::kPortListFailure = L"The print spooler could not list this computer's ports";

void CPortSelectDlg::FillPorts()
{
    // A stopped spooler that the user lets us start gives its list on the second asking.
    Win32PortSpooler ports;
    PageSpoolerGuard service(*this, kServiceLineArea);
    ServiceCheckedPortSpooler spooler(ports, service.Guard());
    Win32DebugOutput debug;
    const SpoolerResult result = FillPortList(m_list, spooler, debug);
    // The page stays with its empty list; Install then asks for a port.
    if (!result.succeeded)
        ShowSpoolerFailure(m_hWnd, service.Check(), kPortListFailure, result.errorCode);
}

void CPortSelectDlg::OnOK() {}

void CPortSelectDlg::OnCancel()
{
    CDialog::OnCancel();
}

bool CPortSelectDlg::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_PP_CREATE_PORT: OnCreatePort(); return true;
    case IDC_PP_CONFIGURE_PORT: OnConfigurePort(); return true;
    case IDC_PP_BACK: CDialog::OnCancel(); return true;
    case IDC_PP_INSTALL: OnInstall(); return true;
    case IDC_PP_CANCEL: OnCancel(); return true;
    default: return false;
    }
}

void CPortSelectDlg::OnCreatePort()
{
    {
        // Whatever its end, even one that could not be shown, the ports are read afresh.
        CCreatePortDlg dialog;
        dialog.DoModal();
    }
    m_list.DeleteAllItems();
    m_list.ApplyFilledListStyle();
    FillPorts();
}

void CPortSelectDlg::OnConfigurePort()
{
    // The monitor's dialog reports its own errors; its cancelling is the user's choice. A
    // spooler that is not there shows no dialog at all: that is said.
    Win32PortSpooler ports;
    PageSpoolerGuard service(*this, kServiceLineArea);
    ServiceCheckedPortSpooler spooler(ports, service.Guard());
    std::optional<SpoolerResult> result = ConfigureSelectedPort(m_hWnd, m_list, spooler);
    ShowSpoolerServiceProblem(m_hWnd, service.Check());
    if (result && !result->succeeded && result->errorCode == kErrorNoUnicodeTranslation) {
        std::string unused;
        int row = -1;
        GetSelectedPort(m_list, unused, &row);
        ShowPortNameOutsideCodePage(row);
    }
}

void CPortSelectDlg::ShowPortNameOutsideCodePage(int row)
{
    ShowMessage(m_hWnd, kPortNameOutsideCodePageMessage[0] + m_list.RowTextWide(row) + kPortNameOutsideCodePageMessage[1]);
}

void CPortSelectDlg::OnInstall()
{
    std::string port;
    int row = -1;
    switch (GetSelectedPort(m_list, port, &row)) {
    case PortChoice::None:
        ShowMessage(m_hWnd, kSelectPortMessage);
        return;
    case PortChoice::NameOutsideCodePage:
        // Its code-page form names a port that does not exist; the page stays for another choice.
        ShowPortNameOutsideCodePage(row);
        return;
    case PortChoice::Name:
        break;
    }
    m_strPort = port;
    if (!g_pPrinterDlg) {
        ShowMessage(m_hWnd, kNoSettingsPageMessage);
        return;
    }
    InstallOutcome outcome;
    switch (CurrentHostArchitecture()) {
    case HostArchitecture::Arm64: outcome = g_pPrinterDlg->InstallPrinterArm64(); break;
    case HostArchitecture::X64: outcome = g_pPrinterDlg->InstallPrinterX64(); break;
    case HostArchitecture::X86: outcome = g_pPrinterDlg->InstallPrinterX86(); break;
    }
    if (!outcome.succeeded) {
        // The page stays, so that the user can choose another port or leave.
        m_progress.SetPos(0);
        ShowInstallFailure(m_hWnd, outcome);
        return;
    }
    m_installSucceeded = true;
    m_keptFiles = outcome.keptFiles;
    CDialog::OnOK();
}
