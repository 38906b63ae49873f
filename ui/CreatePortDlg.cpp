#include "ui/CreatePortDlg.h"

#include "ports/PortOperations.h"
#include "ports/PortSpooler_win32.h"
#include "res/resource.h"

CCreatePortDlg::CCreatePortDlg(HWND parent) : CDialog(IDD_CREATE_PORT, parent) {}

CCreatePortDlg::~CCreatePortDlg() = default;

bool CCreatePortDlg::DoDataExchange(bool saving)
{
    if (saving)
        return true;
    m_list.Attach(GetDlgItem(IDC_CP_MONITOR_LIST));
    return m_list.GetSafeHwnd() != nullptr;
}

BOOL CCreatePortDlg::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return FALSE;
    m_list.ApplyFilledListStyle();
    m_list.InsertColumn(0, "Available Port Type", 340);
    Win32PortSpooler spooler;
    Win32DebugOutput debug;
    FillMonitorList(m_list, spooler, debug);
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
    // The dialog stays open for more ports; the monitor's own dialog reports its errors.
    Win32PortSpooler spooler;
    AddPortOfSelectedType(m_hWnd, m_list, spooler);
}
