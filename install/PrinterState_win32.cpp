#include "install/PrinterState_win32.h"

#include <windows.h>
#include <winspool.h>

#include "system/TextConversion_win32.h"
#include "system/Win32Calls_win32.h"

namespace {

// The code page's form of a spooler text; a name it cannot hold stays lossy, and is then no
// port the port list names either.
std::string Ansi(const wchar_t* text)
{
    std::string narrow;
    if (text != nullptr)
        NarrowExactly(text, CP_ACP, narrow);
    return narrow;
}

uint32_t ReadInfo(HANDLE printer, PrinterState& state)
{
    const SizedEnumeration info = EnumerateSized(
        [printer](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) -> uint32_t {
            DWORD neededBytes = 0;
            const BOOL ok = GetPrinterW(printer, 2, buffer, size, &neededBytes);
            needed = neededBytes;
            returned = ok ? 1 : 0;
            return ok ? 0 : LastErrorOfFailedCall();
        },
        sizeof(PRINTER_INFO_2W));
    if (info.error != 0 || info.count == 0)
        return info.error != 0 ? info.error : ERROR_GEN_FAILURE;
    const auto* record = reinterpret_cast<const PRINTER_INFO_2W*>(info.bytes.data());
    state.portName = Ansi(record->pPortName);
    state.driverName = Ansi(record->pDriverName);
    state.status = record->Status;
    state.attributes = record->Attributes;
    state.jobs = record->cJobs;
    return 0;
}

// The first job in error, of as many as cJobs says there are. A queue that cannot be listed
// leaves the printer's own state standing: the job is a detail of it.
void ReadErrorJob(HANDLE printer, PrinterState& state)
{
    const DWORD count = state.jobs;
    const SizedEnumeration jobs = EnumerateSized(
        [printer, count](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) -> uint32_t {
            DWORD neededBytes = 0, listed = 0;
            const BOOL ok = EnumJobsW(printer, 0, count, 1, buffer, size, &neededBytes, &listed);
            needed = neededBytes;
            returned = listed;
            return ok ? 0 : LastErrorOfFailedCall();
        },
        sizeof(JOB_INFO_1W));
    const auto* records = reinterpret_cast<const JOB_INFO_1W*>(jobs.bytes.data());
    const DWORD errorBits = kJobStatusError | kJobStatusOffline | kJobStatusPaperOut | kJobStatusBlocked |
                            kJobStatusUserIntervention;
    for (uint32_t i = 0; i < jobs.count; ++i)
        if (records[i].Status & errorBits) {
            state.errorJob = Utf8Of(records[i].pDocument != nullptr ? records[i].pDocument : L"");
            state.errorJobStatus = records[i].Status;
            break;
        }
}

}  // namespace

uint32_t Win32PrinterStateReader::ReadPrinter(const std::string& name, PrinterState& state)
{
    state = PrinterState();
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW use = {nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterW(const_cast<wchar_t*>(FromUtf8(name).c_str()), &printer, &use))
        return LastErrorOfFailedCall();
    const uint32_t error = ReadInfo(printer, state);
    if (error == 0 && state.jobs > 0)
        ReadErrorJob(printer, state);
    ClosePrinter(printer);
    return error;
}
