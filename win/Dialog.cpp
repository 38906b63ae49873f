#include "win/Dialog.h"

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_hParent(parent) {}

CDialog::~CDialog() = default;

HINSTANCE CDialog::ResourceInstance()
{
    return GetModuleHandleA(nullptr);
}

INT_PTR CDialog::DoModal()
{
    HWND owner = m_hParent ? m_hParent : GetActiveWindow();
    INT_PTR result = DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), owner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void CDialog::CenterOnOwner()
{
    RECT window = {}, area = {};
    GetWindowRect(m_hWnd, &window);
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (!owner || !IsWindowVisible(owner) || IsIconic(owner) || !GetWindowRect(owner, &area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    int width = window.right - window.left, height = window.bottom - window.top;
    int x = area.left + ((area.right - area.left) - width) / 2;
    int y = area.top + ((area.bottom - area.top) - height) / 2;
    SetWindowPos(m_hWnd, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDialog::EndDialog(INT_PTR code)
{
    ::EndDialog(m_hWnd, code);
}

BOOL CDialog::OnInitDialog()
{
    size_t listCount = 0;
    const InitialList* lists = InitialLists(listCount);
    for (size_t i = 0; i < listCount; ++i) {
        HWND combo = GetDlgItem(lists[i].controlId);
        for (size_t item = 0; item < lists[i].count; ++item) {
            LRESULT added = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lists[i].items[item]));
            if (added == CB_ERR || added == CB_ERRSPACE) {
                EndDialog(-1);
                return FALSE;
            }
        }
    }
    if (!DoDataExchange(false)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

bool CDialog::DoDataExchange(bool)
{
    return true;
}

void CDialog::OnOK()
{
    if (DoDataExchange(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::OnCommand(WORD, WORD, HWND)
{
    return false;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&)
{
    return false;
}

const CDialog::InitialList* CDialog::InitialLists(size_t& count) const
{
    count = 0;
    return nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->m_hWnd = hwnd;
    } else {
        dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!dialog)
        return FALSE;
    // No exception may cross into the dialog manager: end the dialog as one that failed.
    try {
        return dialog->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ::EndDialog(hwnd, -1);
        return TRUE;
    }
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        RECT before = {};
        GetWindowRect(m_hWnd, &before);
        BOOL result = OnInitDialog();
        // Like MFC: a dialog that its initialisation did not move is centred on its owner
        // (or on the screen when it has none).
        RECT after = {};
        if (IsWindow(m_hWnd) && GetWindowRect(m_hWnd, &after) && EqualRect(&before, &after))
            CenterOnOwner();
        return result;
    }
    case WM_COMMAND: {
        if (m_busy)
            return TRUE;
        WORD id = LOWORD(wParam);
        WORD code = HIWORD(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        // Enter and Esc arrive as IDOK and IDCANCEL with code 0 (BN_CLICKED).
        if (id == IDOK && code == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            OnCancel();
            return TRUE;
        }
        return OnCommand(id, code, control) ? TRUE : FALSE;
    }
    default: {
        INT_PTR result = FALSE;
        if (OnMessage(message, wParam, lParam, result))
            return result;
        return FALSE;
    }
    }
}
