// The port operations' spooler with the Print Spooler service looked at when a call fails,
// and the call made once more when the service was started for it.
#pragma once
#include "ports/PortSpooler.h"
#include "system/SpoolerService.h"

class ServiceCheckedPortSpooler : public IPortSpooler {
public:
    ServiceCheckedPortSpooler(IPortSpooler& spooler, SpoolerServiceGuard& guard) : m_spooler(spooler), m_guard(guard) {}
    SpoolerResult EnumeratePorts(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                                 uint32_t& returned) override;
    SpoolerResult EnumerateMonitors(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                                    uint32_t& returned) override;
    SpoolerResult AddNewPort(OwnerWindow owner, const std::string& monitorName) override;
    SpoolerResult ConfigureExistingPort(OwnerWindow owner, const std::string& portName) override;

private:
    IPortSpooler& m_spooler;
    SpoolerServiceGuard& m_guard;
};
