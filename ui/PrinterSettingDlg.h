// The wizard's main page: the model, the printer's name, "Set Default Printer" and the
// hidden serial-port panel. The installation procedures are its members: they read its
// controls while the port page runs above it.
#pragma once
#include "win/Controls_win32.h"
#include "win/Dialog.h"
#include "system/HostArchitecture.h"
#include "install/InstallOutcome.h"

class CPrinterSettingDlg : public CDialog {
public:
    explicit CPrinterSettingDlg(HWND parent = nullptr);
    ~CPrinterSettingDlg() override;

    // Install the driver and the printer for a 32-bit ("Windows NT x86"), x64 ("Windows x64")
    // or ARM64 ("Windows ARM64") Windows, on the port page's chosen port, moving its progress bar.
    InstallOutcome InstallPrinterX86();
    InstallOutcome InstallPrinterX64();
    InstallOutcome InstallPrinterArm64();

    // Pointers to the page's controls, taken in OnInitDialog; valid while the window exists.
    CComboBox* m_pModelCombo = nullptr;
    CComboBox* m_pPortCombo = nullptr;
    CComboBox* m_pBaudCombo = nullptr;
    CComboBox* m_pDataBitsCombo = nullptr;
    CComboBox* m_pStopBitsCombo = nullptr;
    CComboBox* m_pParityCombo = nullptr;
    CComboBox* m_pFlowCombo = nullptr;
    CButton* m_pDefaultCheck = nullptr;
    HICON m_hIcon = nullptr;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    const InitialList* InitialLists(size_t& count) const override;

    void OnNext();
    void OnSelChangeModel();
    void OnSelChangePort();

private:
    // Shared body of the installation procedures, one per host architecture (PrinterSettingInstall.cpp).
    InstallOutcome InstallPrinterFor(HostArchitecture host);

    // The separator and "About" entry of the system menu (string 101, command 0x10).
    void AddAboutCommandToSystemMenu();
    // Baud rate, data bits, stop bits, parity and flow control go on and off together.
    void EnableSerialCombos(bool enable);
    void PaintMinimisedIcon();

    // The window objects the pointers above refer to.
    CComboBox m_modelCombo, m_portCombo, m_baudCombo, m_dataBitsCombo, m_stopBitsCombo, m_parityCombo, m_flowCombo;
    CButton m_defaultCheck;
};
