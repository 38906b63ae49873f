// The last page: the spooler's ports, Create Port and Configure Port, and "&Install",
// which runs the installation while its progress bar shows how far it has come.
#pragma once
#include <string>
#include <vector>

#include "install/InstallOutcome.h"

#include "win/Controls_win32.h"
#include "win/Dialog.h"
#include "ui/PortListCtrl_win32.h"

class CPortSelectDlg : public CDialog {
public:
    explicit CPortSelectDlg(HWND parent = nullptr);
    ~CPortSelectDlg() override;

    std::string m_strPort;     // the chosen port; set by "&Install"
    CProgressCtrl m_progress;  // control 1025, range 0..100
    CPortListCtrl m_list;          // control 1021, the port list
    bool m_installSucceeded = false;  // "&Install" ran an installation that succeeded
    std::vector<DifferingDriverFile> m_keptFiles;  // its driver files that Windows chose to keep

    // The message for "&Install" while no port is selected.
    static const wchar_t* const kSelectPortMessage;
    // The message for "&Install" when no printer settings page is there to install from.
    static const wchar_t* const kNoSettingsPageMessage;
    // The message for "&Install" and "Configure Port..." on a port named outside the code page;
    // the port's name goes between its two parts.
    static const wchar_t* const kPortNameOutsideCodePageMessage[2];
    // What failed when the spooler could not list the ports (Windows' text for the error follows).
    static const wchar_t* const kPortListFailure;
    // Where the line "The Print Spooler service is being started..." goes (dialog units).
    static const RECT kServiceLineArea;

protected:
    BOOL OnInitDialog() override;
    bool DoDataExchange(bool saving) override;
    // Enter while no push button has the focus: ignored, so that the page never ends as
    // though an installation had run.
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

    void OnCreatePort();
    void OnConfigurePort();
    void OnInstall();

private:
    void FillPorts();
    void ShowPortNameOutsideCodePage(int row);
};
