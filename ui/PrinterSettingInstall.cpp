// Placeholder until the installation engine lands.
#include "ui/PrinterSettingDlg.h"

InstallOutcome CPrinterSettingDlg::InstallPrinterX86() { return InstallPrinterFor(false); }
InstallOutcome CPrinterSettingDlg::InstallPrinterX64() { return InstallPrinterFor(true); }
InstallOutcome CPrinterSettingDlg::InstallPrinterFor(bool) { return InstallOutcome(); }
