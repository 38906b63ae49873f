#include "app/PageSequence.h"

void RunPageSequence(IWizardPages& pages)
{
    int result = pages.RunOsPage();
    while (result == kEndOk) {
        if (pages.RunPrinterSettingPage() != kEndCancel)
            break;
        result = pages.RunOsPage();
    }
}
