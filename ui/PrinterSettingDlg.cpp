// Placeholder page until the printer settings page lands: Back, Next and Exit only.
#include "ui/PrinterSettingDlg.h"

#include "app/Globals.h"
#include "res/resource.h"

CPrinterSettingDlg::CPrinterSettingDlg(HWND parent) : CDialog(IDD_PRINTER_SETTING, parent) {}

CPrinterSettingDlg::~CPrinterSettingDlg() = default;

BOOL CPrinterSettingDlg::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return FALSE;
    g_pPrinterDlg = this;
    return TRUE;
}

void CPrinterSettingDlg::OnCancel()
{
    CDialog::OnOK();
}

bool CPrinterSettingDlg::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_PS_BACK: CDialog::OnCancel(); return true;
    case IDC_PS_NEXT: OnNext(); return true;
    case IDC_PS_EXIT: OnCancel(); return true;
    default: return false;
    }
}

bool CPrinterSettingDlg::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&)
{
    return false;
}

const CDialog::InitialList* CPrinterSettingDlg::InitialLists(size_t& count) const
{
    count = 0;
    return nullptr;
}

void CPrinterSettingDlg::OnNext() {}
void CPrinterSettingDlg::OnSelChangeModel() {}
void CPrinterSettingDlg::OnSelChangePort() {}
