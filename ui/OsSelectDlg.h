// The first page: names the running Windows and leads on to the printer settings.
#pragma once
#include "win/Dialog.h"

class COsSelectDlg : public CDialog {
public:
    explicit COsSelectDlg(HWND parent = nullptr);

    // Handlers of the two hidden launcher buttons.
    void RunUsbSerialSetup();
    void RunSecondUsbSetup();

    // The radio button that marks an OS code, or 0 for a code that has none.
    static int RadioButtonForOsKind(int osKind);

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};
