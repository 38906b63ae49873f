// The order of the wizard's pages, decided from their end codes.
#pragma once
#include "ui/PageEndCodes.h"

// Runs one showing of a page and answers its end code.
class IWizardPages {
public:
    virtual ~IWizardPages() = default;
    virtual int RunOsPage() = 0;
    virtual int RunPrinterSettingPage() = 0;
};

// The operating-system page first; IDOK leads to a fresh printer settings page, whose
// IDCANCEL (Back) shows the operating-system page again; any other code ends the wizard.
void RunPageSequence(IWizardPages& pages);
