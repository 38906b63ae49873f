// The process-wide variables through which the pages and the installation meet.
#pragma once
#include <string>

class CPrinterSettingDlg;
class CPortSelectDlg;

// The live printer settings page; set when that page initialises, never cleared.
extern CPrinterSettingDlg* g_pPrinterDlg;
// The port page being run by "&Next >"; the installation reads its port name and
// moves its progress bar through it.
extern CPortSelectDlg* g_pPortDlg;
// The port the printer was installed on.
extern std::string g_strPort;
// The driver's language-monitor name: none.
extern char g_szMonitor[4];
