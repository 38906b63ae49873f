#include "app/SetupApp_win32.h"

#include <commctrl.h>

#include "app/PageSequence.h"
#include "ui/OsSelectDlg.h"
#include "ui/PrinterSettingDlg.h"

CSetupApp theApp;

namespace {

// The real pages: one operating-system page object for the whole run, a fresh
// printer settings page for every showing so that its defaults come back.
class DialogPages : public IWizardPages {
public:
    int RunOsPage() override { return static_cast<int>(m_osPage.DoModal()); }
    int RunPrinterSettingPage() override
    {
        CPrinterSettingDlg page;
        return static_cast<int>(page.DoModal());
    }

private:
    COsSelectDlg m_osPage;
};

}  // namespace

BOOL CSetupApp::InitInstance()
{
    // The list views, progress bars and trackbars of the templates.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    DialogPages pages;
    RunPageSequence(pages);
    return FALSE;
}
