// The About box, opened from the printer settings page's system menu. Its template
// carries everything it shows; the dialog manager's OK and Esc handling close it.
#pragma once
#include "win/Dialog.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND parent = nullptr);
};
