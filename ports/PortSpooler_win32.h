// The local print spooler (winspool) and OutputDebugStringA behind the port operations.
#pragma once
#include "ports/PortSpooler.h"

class Win32PortSpooler : public IPortSpooler {
public:
    SpoolerResult EnumeratePorts(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                            uint32_t& returned) override;
    SpoolerResult EnumerateMonitors(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                               uint32_t& returned) override;
    SpoolerResult AddNewPort(OwnerWindow owner, const std::string& monitorName) override;
    SpoolerResult ConfigureExistingPort(OwnerWindow owner, const std::string& portName) override;
};

class Win32DebugOutput : public IDebugOutput {
public:
    void Write(const std::string& text) override;
};
