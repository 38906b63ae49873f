// Placeholder page until the port page lands.
#include "ui/PortSelectDlg.h"

#include "res/resource.h"

CPortSelectDlg::CPortSelectDlg(HWND parent) : CDialog(IDD_PORT_SELECT, parent) {}
CPortSelectDlg::~CPortSelectDlg() = default;
BOOL CPortSelectDlg::OnInitDialog() { return CDialog::OnInitDialog(); }
bool CPortSelectDlg::DoDataExchange(bool) { return true; }
void CPortSelectDlg::OnCancel() { CDialog::OnCancel(); }
bool CPortSelectDlg::OnCommand(WORD, WORD, HWND) { return false; }
void CPortSelectDlg::OnCreatePort() {}
void CPortSelectDlg::OnConfigurePort() {}
void CPortSelectDlg::OnInstall() {}
