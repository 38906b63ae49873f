// The words for a failed installation, composed without a window so that they can be
// checked natively; the dialogs add Windows' own text for the error.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "install/InstallOutcome.h"

// `errorText` is Windows' description of outcome.errorCode (empty: none is added);
// `widenAnsi` turns the outcome's ANSI names into UTF-16.
std::wstring ComposeInstallFailure(const InstallOutcome& outcome, const std::wstring& errorText,
                                   const std::function<std::wstring(const std::string&)>& widenAnsi);

// One line for a driver file Windows kept, for the log and the completion message:
// "STDNAMES.GPD: Windows kept its copy dated 2021-06-05; the package's is dated 2012-03-01", or
// "uniDRV.DLL: Windows kept its newer version 0.3.19041.1; the package has 0.3.2600.0".
std::wstring KeptFileText(const DifferingDriverFile& file);
// An older copy left in place: "Installed: version ..., dated ...; the package's: ...", which
// of them decided, and that Windows would have replaced it.
std::wstring OlderCopyText(const DifferingDriverFile& file);
// The wizard's "Completed!", followed by a line for each file Windows kept.
std::wstring CompletionText(const std::vector<DifferingDriverFile>& keptFiles);

// The question the wizard asks when Windows warns about the driver (ERROR_PRINTER_DRIVER_WARNED).
std::wstring WarnedDriverQuestion(const std::wstring& driverName);

// A failure's text led by what the Print Spooler service was found in, where that is what
// keeps printers from being installed; `serviceErrorText` is Windows' text for the check's error.
std::wstring LeadWithSpoolerService(const SpoolerServiceCheck& check, const std::wstring& serviceErrorText,
                                    const std::wstring& failure);
