#include "install/ServiceCheckedSpooler.h"

#include "system/TextCompare.h"
#include "system/Win32ErrorCodes.h"

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
    uint32_t error = m_spooler.CreatePrinter(record, printer);
    if (error == 0 || !m_guard.ShouldRepeat(error))
        return error;
    error = m_spooler.CreatePrinter(record, printer);
    return error == kErrorPrinterAlreadyExists ? FindPrinterAddedBeforeRestart(record, printer) : error;
}

// The first AddPrinter may have added the printer before its answer was lost with the spooler.
// A printer of that name on our driver and the chosen port is that one; any other stays "already
// there", and the installation moves it as a repair does.
uint32_t ServiceCheckedDriverSpooler::FindPrinterAddedBeforeRestart(const PrinterRecord& record, PrinterHandle& printer)
{
    PrinterHandle existing = nullptr;
    if (m_spooler.OpenExistingPrinter(record.printerName, existing) != 0)
        return kErrorPrinterAlreadyExists;
    std::string port, driver;
    if (m_spooler.GetPrinterBinding(existing, port, driver) == 0 && SameTextIgnoringCase(port, record.portName) &&
        SameTextIgnoringCase(driver, record.driverName)) {
        m_guard.NotePrinterAddedBeforeRestart();
        printer = existing;
        return 0;
    }
    m_spooler.ClosePrinter(existing);
    return kErrorPrinterAlreadyExists;
}

uint32_t ServiceCheckedDriverSpooler::OpenExistingPrinter(const std::string& name, PrinterHandle& printer)
{
    return m_guard.Checked([&] { return m_spooler.OpenExistingPrinter(name, printer); });
}

uint32_t ServiceCheckedDriverSpooler::RebindPrinter(PrinterHandle printer, const PrinterRecord& record)
{
    const uint32_t error = m_spooler.RebindPrinter(printer, record);
    if (error == 0 || !m_guard.ShouldRepeat(error))
        return error;
    // The caller still closes its own, dead handle.
    PrinterHandle fresh = nullptr;
    uint32_t again = m_spooler.OpenExistingPrinter(record.printerName, fresh);
    if (again == 0) {
        again = m_spooler.RebindPrinter(fresh, record);
        m_spooler.ClosePrinter(fresh);
    }
    return again;
}

uint32_t ServiceCheckedUninstallSystem::OpenPrinterForRemoval(const std::string& name, PrinterHandle& printer)
{
    m_openedName = name;
    return m_guard.Checked([&] { return m_system.OpenPrinterForRemoval(name, printer); });
}

uint32_t ServiceCheckedUninstallSystem::DeletePrinter(PrinterHandle printer)
{
    const uint32_t error = m_system.DeletePrinter(printer);
    if (error == 0 || !m_guard.ShouldRepeat(error))
        return error;
    // The caller still closes its own, dead handle.
    PrinterHandle fresh = nullptr;
    uint32_t again = m_system.OpenPrinterForRemoval(m_openedName, fresh);
    if (again == 0) {
        again = m_system.DeletePrinter(fresh);
        m_system.ClosePrinter(fresh);
    }
    // Gone with the first call, before the spooler stopped: what was asked for is done.
    return again == kErrorInvalidPrinterName ? 0 : again;
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
