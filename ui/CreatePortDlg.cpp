#include "ui/CreatePortDlg.h"

#include "ports/PortOperations.h"
#include "ports/PortSpooler_win32.h"
#include "ports/ServiceCheckedPortSpooler.h"
#include "res/resource.h"
#include "ui/PageSpoolerService_win32.h"
#include "ui/SpoolerServicePrompt.h"

CCreatePortDlg::CCreatePortDlg(HWND parent) : CDialog(IDD_CREATE_PORT, parent) {}

CCreatePortDlg::~CCreatePortDlg() = default;

bool CCreatePortDlg::DoDataExchange(bool saving)
{
    if (saving)
        return true;
    m_list.Attach(GetDlgItem(IDC_CP_MONITOR_LIST));
    return m_list.GetSafeHwnd() != nullptr;
}

// Left of the buttons, below the list.
const RECT CCreatePortDlg::kServiceLineArea = {7, 100, 115, 122};

BOOL CCreatePortDlg::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return FALSE;
    m_list.ApplyFilledListStyle();
    m_list.InsertColumn(0, "Available Port Type", 340);
    Win32PortSpooler ports;
    PageSpoolerGuard service(*this, kServiceLineArea);
    ServiceCheckedPortSpooler spooler(ports, service.Guard());
    Win32DebugOutput debug;
    const SpoolerResult result = FillMonitorList(m_list, spooler, debug);
    if (!result.succeeded)
        ShowSpoolerFailure(m_hWnd, service.Check(), L"The print spooler could not list the port types", result.errorCode);
    return TRUE;  // the focus goes to the monitor list
}

bool CCreatePortDlg::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_CP_NEW_PORT: OnNewPort(); return true;
    case IDC_CP_CLOSE: CDialog::OnCancel(); return true;
    default: return false;
    }
}

void CCreatePortDlg::OnNewPort()
{
    // The dialog stays open for more ports; the monitor's own dialog reports its errors, and
    // where the spooler is not there to show one, what became of its service is said.
    Win32PortSpooler ports;
    PageSpoolerGuard service(*this, kServiceLineArea);
    ServiceCheckedPortSpooler spooler(ports, service.Guard());
    AddPortOfSelectedType(m_hWnd, m_list, spooler);
    ShowSpoolerServiceProblem(m_hWnd, service.Check());
}
