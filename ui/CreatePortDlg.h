// The Create Port dialog: the installed port monitors as port types, and "New Port...",
// which lets the selected monitor create a port with its own dialog.
#pragma once
#include "win/Dialog.h"
#include "ui/PortListCtrl_win32.h"

class CCreatePortDlg : public CDialog {
public:
    explicit CCreatePortDlg(HWND parent = nullptr);
    ~CCreatePortDlg() override;

    CPortListCtrl m_list;  // control 1021, the monitor list
    // Where the line "The Print Spooler service is being started..." goes (dialog units).
    static const RECT kServiceLineArea;

protected:
    BOOL OnInitDialog() override;
    bool DoDataExchange(bool saving) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

    void OnNewPort();
};
