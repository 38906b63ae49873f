// The words for a failed installation, composed without a window so that they can be
// checked natively; the dialogs add Windows' own text for the error.
#pragma once
#include <functional>
#include <string>

#include "install/InstallOutcome.h"

// `errorText` is Windows' description of outcome.errorCode (empty: none is added);
// `widenAnsi` turns the outcome's ANSI names into UTF-16.
std::wstring ComposeInstallFailure(const InstallOutcome& outcome, const std::wstring& errorText,
                                   const std::function<std::wstring(const std::string&)>& widenAnsi);

// The question the wizard asks when Windows warns about the driver (ERROR_PRINTER_DRIVER_WARNED).
std::wstring WarnedDriverQuestion(const std::wstring& driverName);

// A failure's text led by what the Print Spooler service was found in, where that is what
// keeps printers from being installed; `serviceErrorText` is Windows' text for the check's error.
std::wstring LeadWithSpoolerService(const SpoolerServiceCheck& check, const std::wstring& serviceErrorText,
                                    const std::wstring& failure);
