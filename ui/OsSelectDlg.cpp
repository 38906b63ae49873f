#include "ui/OsSelectDlg.h"

#include "system/OsClassification.h"
#include "install/UsbLauncher.h"
#include "res/resource.h"
#include "win/Messages_win32.h"

COsSelectDlg::COsSelectDlg(HWND parent) : CDialog(IDD_OS_SELECT, parent) {}

int COsSelectDlg::RadioButtonForOsKind(int osKind)
{
    switch (osKind) {
    case kOsWindows95: return IDC_OS_RADIO_95;
    case kOsWindows98Me: return IDC_OS_RADIO_98;
    case kOsWindowsNT4: return IDC_OS_RADIO_NT4;
    case kOsWindows2000: return IDC_OS_RADIO_2000;
    case kOsWindowsXP: return IDC_OS_RADIO_XP;
    case kOsWindows2003: return IDC_OS_RADIO_2003;
    case kOsWindowsVista: return IDC_OS_RADIO_VISTA;
    case kOsWindows7: return IDC_OS_RADIO_7;
    case kOsWindows8Later: return IDC_OS_RADIO_8_10;
    default: return 0;
    }
}

BOOL COsSelectDlg::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return FALSE;
    ClassifyOs();
    // Radio buttons 1000 to 1002 are hidden: on 9x and NT 4 the page shows none checked.
    if (int radio = RadioButtonForOsKind(g_nOsKind))
        SendMessageA(GetDlgItem(radio), BM_SETCHECK, BST_CHECKED, 0);
    return TRUE;  // the focus goes to "Install Printer Driver (&N) >"
}

void COsSelectDlg::OnCancel()
{
    CDialog::OnCancel();
}

bool COsSelectDlg::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_OS_BACK:
        return true;
    case IDC_OS_INSTALL_DRIVER:
        CDialog::OnOK();
        return true;
    case IDC_OS_USB_SERIAL_SETUP:
        RunUsbSerialSetup();
        return true;
    case IDC_OS_EXIT:
        OnCancel();
        return true;
    case IDC_OS_USB_SECOND_SETUP:
        RunSecondUsbSetup();
        return true;
    default:
        return false;
    }
}

bool COsSelectDlg::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result)
{
    if (message != WM_PAINT)
        return false;
    // The page's look is its template's; validate the region so that no WM_PAINT repeats.
    PAINTSTRUCT paint;
    BeginPaint(m_hWnd, &paint);
    EndPaint(m_hWnd, &paint);
    result = TRUE;
    return true;
}

void COsSelectDlg::RunUsbSerialSetup()
{
    // A started installer reports its own outcome; only a system it has no driver for, or an
    // installer the seal refuses, is told here.
    std::wstring refusal;
    if (!StartUsbSerialInstaller(refusal))
        ShowMessage(m_hWnd, kNoUsbSerialDriverForArm64Text);
    else if (!refusal.empty())
        ShowMessage(m_hWnd, refusal);
}

void COsSelectDlg::RunSecondUsbSetup()
{
    std::wstring refusal;
    StartSecondUsbInstaller(refusal);
    if (!refusal.empty())
        ShowMessage(m_hWnd, refusal);
}
