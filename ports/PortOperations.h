// The port page's and the Create Port dialog's dealings with the spooler: list the local
// ports (choosing a default port) and the port monitors, and hand the selected monitor or
// port to the spooler, which shows the monitor's own dialog.
#pragma once
#include <optional>
#include <string>

#include "ports/PortList.h"
#include "ports/PortSpooler.h"

// Adds a row per port (name, description) to the empty port list, every port the spooler
// reports, in its order, writes each listed name to the debug output, and selects the default
// row: the last port whose name begins with "LPT1", else with "COM1", else with "FILE" - never
// row 0. There is no cap: a list view holds thousands of rows, and a system with many ports
// still gets its LPT1 or COM1 row chosen. A port whose name the system code page cannot hold
// is listed by its true name, marked unusable (kUnusablePortNote after its description), and
// never chosen as the default row. A list the spooler could not give is a failure (the list
// stays empty), never an empty list.
SpoolerResult FillPortList(IPortList& ports, IPortSpooler& spooler, IDebugOutput& debug);

// Adds a row per named port monitor to the empty monitor list and selects row 0; a failure as
// for the ports.
SpoolerResult FillMonitorList(IPortList& monitors, IPortSpooler& spooler, IDebugOutput& debug);

// The column-0 text of the first selected row; false when no row is selected.
bool GetSelectedRowText(const IPortList& list, std::string& text);

// The second column of a port whose name this program cannot pass to the spooler.
extern const char kUnusablePortNote[];

enum class PortChoice {
    None,                 // no row is selected
    Name,                 // `name` is the selected port's name
    NameOutsideCodePage,  // the selected port's name cannot be passed on; `name` stays empty
};
// The selected port of the port list, and in `row` (when given) the selected row, -1 for none.
PortChoice GetSelectedPort(const IPortList& ports, std::string& name, int* row = nullptr);

// AddPortA for the selected monitor; nothing (no result) when no row is selected.
std::optional<SpoolerResult> AddPortOfSelectedType(OwnerWindow owner, const IPortList& monitors,
                                                   IPortSpooler& spooler);

// ConfigurePortA for the selected port; nothing (no result) when no row is selected. A port
// whose name the code page cannot hold is not handed on: ERROR_NO_UNICODE_TRANSLATION.
std::optional<SpoolerResult> ConfigureSelectedPort(OwnerWindow owner, const IPortList& ports, IPortSpooler& spooler);
