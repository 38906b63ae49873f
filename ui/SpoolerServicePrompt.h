// The wizard's side of the Print Spooler service: the question before starting it, and the
// message after a spooler call that failed.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "system/SpoolerService.h"

// "Start the Print Spooler service now?", Yes or No, owned by the page `owner`; true for Yes.
bool AskStartSpooler(HWND owner);

// Windows' text for a service check's error; empty where it has none.
std::wstring SpoolerServiceErrorText(const SpoolerServiceCheck& check);

// Shows SpoolerFailureText for a failed call: `what` failed with `callError`.
void ShowSpoolerFailure(HWND owner, const SpoolerServiceCheck& check, const std::wstring& what, uint32_t callError);
// Shows the service's text only, where there is one; a call whose own dialog reports its
// errors (a port monitor's) needs no more.
void ShowSpoolerServiceProblem(HWND owner, const SpoolerServiceCheck& check);
