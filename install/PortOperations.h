// The port page's and the Create Port dialog's dealings with the spooler: list the local
// ports (choosing a default port) and the port monitors, and hand the selected monitor or
// port to the spooler, which shows the monitor's own dialog.
#pragma once
#include <optional>
#include <string>

#include "install/PortList.h"
#include "install/PortSpooler.h"

// Adds a row per port (name, description) to the empty port list, every port the spooler
// reports, in its order, writes each listed name to the debug output, and selects the default
// row: the last port whose name begins with "LPT1", else with "COM1", else with "FILE" - never
// row 0. There is no cap: a list view holds thousands of rows, and a system with many ports
// still gets its LPT1 or COM1 row chosen.
void FillPortList(IPortList& ports, IPortSpooler& spooler, IDebugOutput& debug);

// Adds a row per named port monitor to the empty monitor list and selects row 0.
void FillMonitorList(IPortList& monitors, IPortSpooler& spooler, IDebugOutput& debug);

// The column-0 text of the first selected row; false when no row is selected.
bool GetSelectedRowText(const IPortList& list, std::string& text);

// AddPortA for the selected monitor; nothing (no result) when no row is selected.
std::optional<SpoolerResult> AddPortOfSelectedType(OwnerWindow owner, const IPortList& monitors,
                                                   IPortSpooler& spooler);

// ConfigurePortA for the selected port; nothing (no result) when no row is selected.
std::optional<SpoolerResult> ConfigureSelectedPort(OwnerWindow owner, const IPortList& ports, IPortSpooler& spooler);
