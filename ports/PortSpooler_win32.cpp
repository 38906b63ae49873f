#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "ports/PortSpooler_win32.h"
#include "system/SizedEnumeration.h"
#include "system/TextConversion_win32.h"
#include "system/Win32Calls_win32.h"

// The window-free code reads the monitors' records through its own declaration.
static_assert(sizeof(MonitorInfo1Record) == sizeof(MONITOR_INFO_1A), "MONITOR_INFO_1A layout");
static_assert(offsetof(MonitorInfo1Record, pName) == offsetof(MONITOR_INFO_1A, pName), "pName");
static_assert(kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER, "ERROR_INSUFFICIENT_BUFFER");
static_assert(kErrorNoUnicodeTranslation == ERROR_NO_UNICODE_TRANSLATION, "ERROR_NO_UNICODE_TRANSLATION");

namespace {

SpoolerResult Result(BOOL succeeded)
{
    if (succeeded)
        return {true, 0};
    return {false, GetLastError()};
}

// A record's text in code page `codePage`; false when it has no exact spelling there.
bool Narrow(const wchar_t* text, UINT codePage, std::string& narrow)
{
    return NarrowExactly(text != nullptr ? std::wstring(text) : std::wstring(), codePage, narrow);
}

struct PortEntry {
    std::string name, monitor, description, unicodeName;
    DWORD type = 0;
};

// EnumPortsW level 2, asked again while the set grows between the sizing call and the filling one.
SpoolerResult EnumerateWidePorts(std::vector<PortEntry>& entries)
{
    entries.clear();
    SizedEnumeration listed = EnumerateSized(
        [](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) -> uint32_t {
            DWORD neededBytes = 0, count = 0;
            BOOL ok = EnumPortsW(nullptr, 2, buffer, size, &neededBytes, &count);
            needed = neededBytes;
            returned = count;
            return ok ? 0 : LastErrorOfFailedCall();
        },
        sizeof(PORT_INFO_2W));
    if (listed.error != 0)
        return {false, listed.error};
    const UINT codePage = GetACP();
    const auto* ports = reinterpret_cast<const PORT_INFO_2W*>(listed.bytes.data());
    for (uint32_t i = 0; i < listed.count; ++i) {
        PortEntry entry;
        if (!Narrow(ports[i].pPortName, codePage, entry.name)) {
            Narrow(ports[i].pPortName, CP_UTF8, entry.unicodeName);
            // The mark must stay even for a name that UTF-8 cannot render either.
            if (entry.unicodeName.empty())
                entry.unicodeName = "?";
        }
        // Shown only: a monitor or description the code page cannot hold loses characters.
        Narrow(ports[i].pMonitorName, codePage, entry.monitor);
        Narrow(ports[i].pDescription, codePage, entry.description);
        entry.type = ports[i].fPortType;
        entries.push_back(entry);
    }
    return {true, 0};
}

// Writes `text` at `at` (NUL included), moves `at` past it and answers where it went.
char* Put(char*& at, const std::string& text)
{
    char* start = at;
    std::memcpy(at, text.c_str(), text.size() + 1);
    at += text.size() + 1;
    return start;
}

}  // namespace

SpoolerResult Win32PortSpooler::EnumeratePorts(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                                          uint32_t& returned)
{
    needed = 0;
    returned = 0;
    if (level != 2)
        return {false, ERROR_INVALID_LEVEL};
    std::vector<PortEntry> entries;
    SpoolerResult result = EnumerateWidePorts(entries);
    if (!result.succeeded)
        return result;
    size_t total = entries.size() * sizeof(PortInfo2Record);
    for (const PortEntry& entry : entries) {
        total += entry.name.size() + entry.monitor.size() + entry.description.size() + 3;
        if (!entry.unicodeName.empty())
            total += entry.unicodeName.size() + 1;
    }
    needed = static_cast<uint32_t>(total);
    if (buffer == nullptr || size < total)
        return {false, ERROR_INSUFFICIENT_BUFFER};
    std::memset(buffer, 0, size);
    auto* records = reinterpret_cast<PortInfo2Record*>(buffer);
    char* text = reinterpret_cast<char*>(buffer + entries.size() * sizeof(PortInfo2Record));
    for (size_t i = 0; i < entries.size(); ++i) {
        records[i].pPortName = Put(text, entries[i].name);
        records[i].pMonitorName = Put(text, entries[i].monitor);
        records[i].pDescription = Put(text, entries[i].description);
        records[i].fPortType = entries[i].type;
        if (!entries[i].unicodeName.empty())
            records[i].pUnicodeName = Put(text, entries[i].unicodeName);
    }
    returned = static_cast<uint32_t>(entries.size());
    return {true, 0};
}

SpoolerResult Win32PortSpooler::EnumerateMonitors(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                                             uint32_t& returned)
{
    DWORD neededBytes = 0, count = 0;
    BOOL ok = EnumMonitorsA(nullptr, level, buffer, size, &neededBytes, &count);
    SpoolerResult result = Result(ok);
    needed = neededBytes;
    returned = count;
    return result;
}

SpoolerResult Win32PortSpooler::AddNewPort(OwnerWindow owner, const std::string& monitorName)
{
    // Returns once the monitor's dialog has closed; a cancelled dialog fails with ERROR_CANCELLED.
    return Result(AddPortA(nullptr, static_cast<HWND>(owner), const_cast<char*>(monitorName.c_str())));
}

SpoolerResult Win32PortSpooler::ConfigureExistingPort(OwnerWindow owner, const std::string& portName)
{
    return Result(ConfigurePortA(nullptr, static_cast<HWND>(owner), const_cast<char*>(portName.c_str())));
}

void Win32DebugOutput::Write(const std::string& text)
{
    OutputDebugStringA(text.c_str());
}
