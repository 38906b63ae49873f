#include "ports/ServiceCheckedPortSpooler.h"

SpoolerResult ServiceCheckedPortSpooler::EnumeratePorts(uint32_t level, uint8_t* buffer, uint32_t size,
                                                        uint32_t& needed, uint32_t& returned)
{
    return m_guard.Checked([&] { return m_spooler.EnumeratePorts(level, buffer, size, needed, returned); });
}

SpoolerResult ServiceCheckedPortSpooler::EnumerateMonitors(uint32_t level, uint8_t* buffer, uint32_t size,
                                                           uint32_t& needed, uint32_t& returned)
{
    return m_guard.Checked([&] { return m_spooler.EnumerateMonitors(level, buffer, size, needed, returned); });
}

SpoolerResult ServiceCheckedPortSpooler::AddNewPort(OwnerWindow owner, const std::string& monitorName)
{
    return m_guard.Checked([&] { return m_spooler.AddNewPort(owner, monitorName); });
}

SpoolerResult ServiceCheckedPortSpooler::ConfigureExistingPort(OwnerWindow owner, const std::string& portName)
{
    return m_guard.Checked([&] { return m_spooler.ConfigureExistingPort(owner, portName); });
}
