#include "install/ServiceCheckedSpooler.h"

uint32_t ServiceCheckedDriverSpooler::GetDriverDirectory(const std::string& environment, char* buffer, uint32_t size,
                                                         uint32_t& needed)
{
    return m_guard.Checked([&] { return m_spooler.GetDriverDirectory(environment, buffer, size, needed); });
}

uint32_t ServiceCheckedDriverSpooler::AddDriver(const DriverRecord& driver, bool blockingStatus)
{
    return m_guard.Checked([&] { return m_spooler.AddDriver(driver, blockingStatus); });
}

uint32_t ServiceCheckedDriverSpooler::AddWarnedDriver(const DriverRecord& driver, bool blockingStatus)
{
    return m_guard.Checked([&] { return m_spooler.AddWarnedDriver(driver, blockingStatus); });
}

uint32_t ServiceCheckedDriverSpooler::GetInstalledDriver(const std::string& name, const std::string& environment,
                                                         InstalledDriverFiles& files)
{
    return m_guard.Checked([&] { return m_spooler.GetInstalledDriver(name, environment, files); });
}

uint32_t ServiceCheckedDriverSpooler::CreatePrinter(const PrinterRecord& record, PrinterHandle& printer)
{
    return m_guard.Checked([&] { return m_spooler.CreatePrinter(record, printer); });
}

uint32_t ServiceCheckedDriverSpooler::OpenExistingPrinter(const std::string& name, PrinterHandle& printer)
{
    return m_guard.Checked([&] { return m_spooler.OpenExistingPrinter(name, printer); });
}

uint32_t ServiceCheckedDriverSpooler::RebindPrinter(PrinterHandle printer, const PrinterRecord& record)
{
    return m_guard.Checked([&] { return m_spooler.RebindPrinter(printer, record); });
}

uint32_t ServiceCheckedUninstallSystem::OpenPrinterForRemoval(const std::string& name, PrinterHandle& printer)
{
    return m_guard.Checked([&] { return m_system.OpenPrinterForRemoval(name, printer); });
}

uint32_t ServiceCheckedUninstallSystem::DeletePrinter(PrinterHandle printer)
{
    return m_guard.Checked([&] { return m_system.DeletePrinter(printer); });
}

uint32_t ServiceCheckedUninstallSystem::ListPrinters(std::vector<SpoolerPrinter>& printers)
{
    return m_guard.Checked([&] {
        printers.clear();
        return m_system.ListPrinters(printers);
    });
}

uint32_t ServiceCheckedUninstallSystem::DeleteDriver(const std::string& environment, const std::string& name)
{
    return m_guard.Checked([&] { return m_system.DeleteDriver(environment, name); });
}
