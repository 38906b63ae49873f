#include "ports/PortOperations.h"

#include <cstring>

#include "ports/PortEnumeration.h"

namespace {

constexpr uint32_t kPortLevel = 2;
constexpr uint32_t kMonitorLevel = 1;

// The first four bytes of the name (all of it when shorter), exactly and case-sensitively:
// "COM10:" is a COM1 port, "lpt1:" is not an LPT1 port.
bool HasPrefix(const std::string& name, const char* prefix)
{
    return std::strncmp(name.c_str(), prefix, 4) == 0;
}

void SelectRow(IPortList& list, int row)
{
    // Selected, and without the focus flag.
    list.SetRowState(row, kRowSelected, kRowSelected | kRowFocused);
}

}  // namespace

SpoolerResult FillPortList(IPortList& ports, IPortSpooler& spooler, IDebugOutput& debug)
{
    EnumeratedRecords records(
        [&](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) {
            return spooler.EnumeratePorts(kPortLevel, buffer, size, needed, returned);
        },
        sizeof(PortInfo2Record));

    // A candidate of 0 means "none": a port in row 0 is never chosen.
    int lpt1 = 0, com1 = 0, file = 0;
    uint32_t count = records.Count();
    for (uint32_t i = 0; i < count; ++i) {
        const auto& record = records.At<PortInfo2Record>(i);
        std::string name = records.Text(record.pPortName);
        std::string description = records.Text(record.pDescription);
        const std::string unicodeName = records.Text(record.pUnicodeName);
        int index = static_cast<int>(i);
        debug.Write(name + "\n");
        if (!unicodeName.empty()) {
            // Its code-page form ("COM1?") could pass for a default port; it is none.
            int row = ports.InsertUnusableRow(index, unicodeName);
            if (row >= 0)
                ports.SetRowSecondText(row, description.empty() ? kUnusablePortNote
                                                                : description + " " + kUnusablePortNote);
            continue;
        }
        if (HasPrefix(name, "COM1"))
            com1 = index;
        else if (HasPrefix(name, "LPT1"))
            lpt1 = index;
        else if (HasPrefix(name, "FILE"))
            file = index;
        int row = ports.InsertRow(index, name);
        if (row >= 0)
            ports.SetRowSecondText(row, description);
    }
    int chosen = lpt1 > 0 ? lpt1 : com1 > 0 ? com1 : file > 0 ? file : 0;
    if (chosen > 0)
        SelectRow(ports, chosen);
    return records.Result();
}

SpoolerResult FillMonitorList(IPortList& monitors, IPortSpooler& spooler, IDebugOutput& debug)
{
    EnumeratedRecords records(
        [&](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) {
            return spooler.EnumerateMonitors(kMonitorLevel, buffer, size, needed, returned);
        },
        sizeof(MonitorInfo1Record));

    for (uint32_t i = 0; i < records.Count(); ++i) {
        const auto& record = records.At<MonitorInfo1Record>(i);
        if (!record.pName)
            continue;  // the next monitor takes its place: an index past the last row appends
        std::string name = records.Text(record.pName);
        debug.Write(name + "\n");
        monitors.InsertRow(static_cast<int>(i), name);
    }
    if (monitors.RowCount() > 0)
        SelectRow(monitors, 0);
    return records.Result();
}

bool GetSelectedRowText(const IPortList& list, std::string& text)
{
    int count = list.RowCount();
    for (int row = 0; row < count; ++row) {
        if (list.IsRowSelected(row)) {
            text = list.RowText(row);
            return true;
        }
    }
    return false;
}

const char kUnusablePortNote[] = "(name outside the system code page: cannot be used by this setup)";

PortChoice GetSelectedPort(const IPortList& ports, std::string& name, int* row)
{
    if (row != nullptr)
        *row = -1;
    int count = ports.RowCount();
    for (int at = 0; at < count; ++at) {
        if (!ports.IsRowSelected(at))
            continue;
        if (row != nullptr)
            *row = at;
        if (ports.IsRowUnusable(at))
            return PortChoice::NameOutsideCodePage;
        name = ports.RowText(at);
        return PortChoice::Name;
    }
    return PortChoice::None;
}

std::optional<SpoolerResult> AddPortOfSelectedType(OwnerWindow owner, const IPortList& monitors,
                                                   IPortSpooler& spooler)
{
    std::string monitor;
    if (!GetSelectedRowText(monitors, monitor))
        return std::nullopt;
    return spooler.AddNewPort(owner, monitor);
}

std::optional<SpoolerResult> ConfigureSelectedPort(OwnerWindow owner, const IPortList& ports, IPortSpooler& spooler)
{
    std::string port;
    switch (GetSelectedPort(ports, port)) {
    case PortChoice::None:
        return std::nullopt;
    case PortChoice::NameOutsideCodePage:
        return SpoolerResult{false, kErrorNoUnicodeTranslation};
    case PortChoice::Name:
        break;
    }
    return spooler.ConfigureExistingPort(owner, port);
}
