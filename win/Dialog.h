// A thin modal-dialog layer over the Windows dialog manager: one class per dialog,
// built from its numbered template, with virtual handlers.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

class CDialog {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the dialog from its template and runs it until EndDialog; answers the end
    // code, or -1 when the dialog cannot be created. Without a parent the active window
    // of this thread becomes the owner, as with MFC.
    INT_PTR DoModal();

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetDlgItemText(int id, const char* text) const { ::SetDlgItemTextA(m_hWnd, id, text); }
    void EndDialog(INT_PTR code);
    // While busy (a wait that keeps the page answering), no command is carried out: a click
    // that was queued, or a BM_CLICK, would start a second action inside the first.
    void SetBusy(bool busy) { m_busy = busy; }

    // Where templates, strings and icons come from: the running program.
    static HINSTANCE ResourceInstance();

protected:
    // A combo box's list as the template carries it, added before OnInitDialog's own work.
    struct InitialList {
        int controlId;
        const char* const* items;
        size_t count;
    };

    // Adds the initial lists, exchanges data and answers TRUE; a failure ends the dialog with -1.
    virtual BOOL OnInitDialog();
    // Binds or reads control members; false stops the dialog from ending.
    virtual bool DoDataExchange(bool saving);
    // IDOK (Enter while no push button has the focus): exchange data, then end with IDOK.
    virtual void OnOK();
    // IDCANCEL (Esc, the close box, the system menu's Close): end with IDCANCEL.
    virtual void OnCancel();
    // Any WM_COMMAND other than IDOK and IDCANCEL; answers true when handled.
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    // Any other message; answers true (with the result to return) when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    // The template's initial combo-box lists; none by default.
    virtual const InitialList* InitialLists(size_t& count) const;

    HWND m_hWnd = nullptr;

private:
    void CenterOnOwner();
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_hParent;
    bool m_busy = false;
};
