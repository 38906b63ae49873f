// One-line wrappers over the control messages the pages use. Each holds a control's
// window handle and owns nothing.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

class CWndRef {
public:
    CWndRef(HWND hwnd = nullptr) : m_hWnd(hwnd) {}
    HWND GetSafeHwnd() const { return m_hWnd; }
    void EnableWindow(bool enable) const { ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }

protected:
    HWND m_hWnd;
};

class CComboBox : public CWndRef {
public:
    using CWndRef::CWndRef;
    /* If no item is selected, it returns CB_ERR (-1) */
    int GetCurSel() const { return static_cast<int>(SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessageA(m_hWnd, CB_SETCURSEL, index, 0)); }
    int GetCount() const { return static_cast<int>(SendMessageA(m_hWnd, CB_GETCOUNT, 0, 0)); }
    void ResetContent() const { SendMessageA(m_hWnd, CB_RESETCONTENT, 0, 0); }
    int AddString(const char* text) const
    {
        return static_cast<int>(SendMessageA(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
};

class CButton : public CWndRef {
public:
    using CWndRef::CWndRef;
    int GetCheck() const { return static_cast<int>(SendMessageA(m_hWnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int state) const { SendMessageA(m_hWnd, BM_SETCHECK, state, 0); }
};

class CProgressCtrl : public CWndRef {
public:
    using CWndRef::CWndRef;
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    void SetRange(int lower, int upper) const { SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
    int SetPos(int position) const { return static_cast<int>(SendMessageA(m_hWnd, PBM_SETPOS, position, 0)); }
    int GetPos() const { return static_cast<int>(SendMessageA(m_hWnd, PBM_GETPOS, 0, 0)); }
};
