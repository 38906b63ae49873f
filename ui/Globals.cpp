#include "ui/Globals.h"

CPrinterSettingDlg* g_pPrinterDlg = nullptr;
CPortSelectDlg* g_pPortDlg = nullptr;
std::string g_strPort;
char g_szMonitor[4] = {};
