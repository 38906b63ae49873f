// A printer as the spooler reports it now (PRINTER_INFO_2 and its queue), read without
// changing anything: what the health check judges.
#pragma once
#include <cstdint>
#include <string>

// PRINTER_INFO_2's Status and Attributes bits ("PRINTER_INFO_2 structure") and JOB_INFO_1's
// Status bits ("JOB_INFO_1 structure") that the check looks at.
constexpr uint32_t kPrinterStatusPaused = 0x1;
constexpr uint32_t kPrinterAttributeWorkOffline = 0x400;
constexpr uint32_t kJobStatusError = 0x2;
constexpr uint32_t kJobStatusOffline = 0x20;
constexpr uint32_t kJobStatusPaperOut = 0x40;
constexpr uint32_t kJobStatusBlocked = 0x200;  // JOB_STATUS_BLOCKED_DEVQ
constexpr uint32_t kJobStatusUserIntervention = 0x400;

struct PrinterState {
    std::string portName;    // pPortName in the system code page, as the port list gives names
    std::string driverName;  // pDriverName, likewise
    uint32_t status = 0;
    uint32_t attributes = 0;
    uint32_t jobs = 0;  // cJobs: the jobs waiting in its queue
    // The first job whose status holds an error bit: its document name (UTF-8) and status.
    std::string errorJob;
    uint32_t errorJobStatus = 0;
};

class PrinterStateReader {
public:
    virtual ~PrinterStateReader() = default;
    // 0, ERROR_INVALID_PRINTER_NAME (1801) when there is no printer of that name, or the error
    // of the call that failed.
    virtual uint32_t ReadPrinter(const std::string& name, PrinterState& state) = 0;
};
