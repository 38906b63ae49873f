// /quiet /check under Wine: the real PrinterSetup.exe checks what its own /quiet installed,
// after one thing at a time was broken in the prefix, and leaves the prefix as it found it.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>

#include "InstallationWineSupport.h"
#include "WineTestSupport.h"

namespace {

const char kCheckPort[] = "C:\\check out.prn";
const char kPrintKey[] = "System\\CurrentControlSet\\Control\\Print";

// Wine's Spooler service is demand-start and stopped in a fresh prefix while its spooler works
// inside every process; on Windows that state stops printing, and the check says so. The
// checks of a healthy printer therefore run with the service as Windows has it: automatic and
// running. Put back as it was afterwards.
class SpoolerAsOnWindows {
public:
    SpoolerAsOnWindows() { m_ready = SpoolerTakenAway::ServiceNow(m_startType, m_state) && Set(SERVICE_AUTO_START, true); }
    ~SpoolerAsOnWindows() { Set(m_startType, m_state == SERVICE_RUNNING); }
    bool Ready() const { return m_ready; }

private:
    static bool Set(DWORD startType, bool running)
    {
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        if (manager == nullptr)
            return false;
        SC_HANDLE service =
            OpenServiceA(manager, "Spooler", SERVICE_CHANGE_CONFIG | SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
        bool done = service != nullptr && ChangeServiceConfigA(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE,
                                                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                               nullptr);
        SERVICE_STATUS status = {};
        const DWORD wanted = running ? SERVICE_RUNNING : SERVICE_STOPPED;
        if (done && QueryServiceStatus(service, &status) && status.dwCurrentState != wanted) {
            if (running)
                StartServiceA(service, 0, nullptr);
            else
                ControlService(service, SERVICE_CONTROL_STOP, &status);
            done = WaitUntil([&] { return QueryServiceStatus(service, &status) && status.dwCurrentState == wanted; });
        }
        if (service != nullptr)
            CloseServiceHandle(service);
        CloseServiceHandle(manager);
        return done;
    }
    DWORD m_startType = SERVICE_DEMAND_START, m_state = SERVICE_STOPPED;
    bool m_ready = false;
};

// Every key and value under `path`, with its data: what a change anywhere below it would alter.
std::string RegistryTree(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return path + " (absent)\n";
    std::string tree = path + "\n";
    char name[512];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        tree += "  " + std::string(name) + " " + std::to_string(type) + " " +
                std::string(reinterpret_cast<char*>(data), dataSize) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        tree += RegistryTree(root, path + "\\" + name);
    }
    RegCloseKey(key);
    return tree;
}

// Every file under `folder` with its size and last-write time.
std::string FolderTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return folder + " (absent)\n";
    std::string tree;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            tree += FolderTree(folder + "\\" + name);
        else
            tree += folder + "\\" + name + " " + std::to_string(found.nFileSizeLow) + " " +
                    std::to_string(found.ftLastWriteTime.dwLowDateTime) + "\n";
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return tree;
}

class Check : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = MakeTempDir("check");
        ASSERT_FALSE(m_folder.empty());
        ASSERT_TRUE(CopyTree(SamplePackageDir(), m_folder));
        RemovePrinterAndDriver();
        DeletePackageFiles(DriverDirectory(HostEnvironment()));
        ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, kPortsKey, kCheckPort, ""));
        ASSERT_TRUE(m_spooler.Ready());
    }
    void TearDown() override
    {
        RemovePrinterAndDriver();
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, kCheckPort);
            RegCloseKey(key);
        }
    }
    DWORD Run(const std::string& arguments)
    {
        StartedProgram program;
        if (!StartProgram(m_folder + "\\PrinterSetup.exe", arguments, m_folder, program))
            return 0xFFFFFFFF;
        return program.WaitForExit(30000);
    }
    // Installs on the file port, then checks: ready before anything is broken.
    void InstallReady()
    {
        ASSERT_EQ(0u, Run(std::string("/quiet /nodefault /port \"") + kCheckPort + "\""));
        ASSERT_EQ(0u, RunCheck()) << Log();
    }
    DWORD RunCheck()
    {
        DeleteFileA((m_folder + "\\c.log").c_str());
        return Run("/quiet /check /log c.log");
    }
    std::string Log() const { return ReadFileText(m_folder + "\\c.log"); }
    void ExpectFinding(const std::string& finding)
    {
        const std::string log = Log();
        EXPECT_NE(std::string::npos, log.find("Problem: " + finding)) << log;
    }

    SpoolerAsOnWindows m_spooler;
    std::string m_folder;
};

TEST_F(Check, NothingInstalledThenReadyAndThePrefixIsUnchangedByTheCheck)
{
    EXPECT_EQ(1605u, RunCheck()) << Log();
    EXPECT_NE(std::string::npos, Log().find("Result: not installed, exit code 1605.")) << Log();
    InstallReady();
    const std::string driverFolder = DriverDirectory(HostEnvironment());
    const std::string before = RegistryTree(HKEY_LOCAL_MACHINE, kPrintKey) + RegistryTree(HKEY_LOCAL_MACHINE, kPortsKey) +
                               RegistryTree(HKEY_CURRENT_USER, kWindowsKey) + FolderTree(driverFolder);
    ASSERT_EQ(0u, RunCheck());
    const std::string after = RegistryTree(HKEY_LOCAL_MACHINE, kPrintKey) + RegistryTree(HKEY_LOCAL_MACHINE, kPortsKey) +
                              RegistryTree(HKEY_CURRENT_USER, kWindowsKey) + FolderTree(driverFolder);
    EXPECT_NE(std::string::npos, before.find("\\3\\VELM58KD.GPD")) << "the driver folder was read: " << before;
    EXPECT_EQ(before, after);
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("Print Spooler service: ok, running, starts automatically.")) << log;
    EXPECT_NE(std::string::npos, log.find(std::string("Printer \"VELM58KD\": ok, on port \"") + kCheckPort + "\"")) << log;
    EXPECT_NE(std::string::npos, log.find("Driver files: ok")) << log;
    EXPECT_NE(std::string::npos, log.find("Result: ready, exit code 0.")) << log;
}

TEST_F(Check, AFileRemovedFromTheDriverFolderIsNamed)
{
    InstallReady();
    const std::string versionFolder = DriverDirectory(HostEnvironment()) + "\\3";
    ASSERT_TRUE(DeleteFileA((versionFolder + "\\UNIDRV.HLP").c_str()) || DeleteFileA((versionFolder + "\\uniDRV.HLP").c_str()));
    EXPECT_EQ(1610u, RunCheck());
    ExpectFinding("The driver file \"");
    EXPECT_NE(std::string::npos, Log().find(".HLP\" named by the driver \"VELM58KD\" is missing from")) << Log();
}

TEST_F(Check, ThePrintersPortRemovedIsNamedWithItsFix)
{
    InstallReady();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &key));
    RegDeleteValueA(key, kCheckPort);
    RegCloseKey(key);
    EXPECT_EQ(1610u, RunCheck());
    ExpectFinding(std::string("The printer's port ") + kCheckPort +
                  " no longer exists: run the setup again and choose a port.");
}

TEST_F(Check, APrinterSetToWorkOfflineIsNamed)
{
    InstallReady();
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(L"VELM58KD"), &printer, &all));
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    ASSERT_TRUE(GetPrinterW(printer, 2, reinterpret_cast<BYTE*>(&buffer[0]), needed, &needed));
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(&buffer[0]);
    info->Attributes |= PRINTER_ATTRIBUTE_WORK_OFFLINE;
    ASSERT_TRUE(SetPrinterW(printer, 2, reinterpret_cast<BYTE*>(info), 0));
    ClosePrinter(printer);
    EXPECT_EQ(1610u, RunCheck());
    ExpectFinding("The printer is set to work offline");
}

TEST_F(Check, ThePrinterRemovedIsNamed)
{
    InstallReady();
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>("VELM58KD"), &printer, &all));
    ASSERT_TRUE(DeletePrinter(printer));
    ClosePrinter(printer);
    EXPECT_EQ(1610u, RunCheck());
    ExpectFinding("The printer \"VELM58KD\" is not installed, although its driver is: run the setup again");
}

// As on a Windows whose Spooler service an administrator disabled: the service is set so, and
// the program's spooler calls fail (Wine's spooler is taken away from it).
TEST_F(Check, ADisabledSpoolerServiceIsNamed)
{
    InstallReady();
    {
        SpoolerTakenAway away("PrinterSetup.exe", SERVICE_DISABLED);
        ASSERT_TRUE(away.Ready());
        EXPECT_EQ(1610u, RunCheck());
    }
    ExpectFinding("The Print Spooler service is disabled: nothing can print. Open Services (services.msc), set "
                  "\"Print Spooler\" to Automatic and start it.");
}

}  // namespace
