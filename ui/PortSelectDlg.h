// The last page: the spooler's ports, Create Port and Configure Port, and "&Install",
// which runs the installation while its progress bar shows how far it has come.
#pragma once
#include <string>

#include "app/Controls_win32.h"
#include "app/Dialog.h"

class CPortSelectDlg : public CDialog {
public:
    explicit CPortSelectDlg(HWND parent = nullptr);
    ~CPortSelectDlg() override;

    std::string m_strPort;     // the chosen port; set by "&Install"
    CProgressCtrl m_progress;  // control 1025, range 0..100
    HWND m_list = nullptr;     // control 1021, the port list
    bool m_installSucceeded = false;  // "&Install" ran an installation that succeeded

protected:
    BOOL OnInitDialog() override;
    bool DoDataExchange(bool saving) override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

    void OnCreatePort();
    void OnConfigurePort();
    void OnInstall();
};
