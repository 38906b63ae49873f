// /quiet /check under Wine: the real PrinterSetup.exe checks what its own /quiet installed,
// after one thing at a time was broken in the prefix, and leaves the prefix as it found it.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "InstallationWineSupport.h"
#include "WineTestSupport.h"

namespace {

const char kCheckPort[] = "C:\\check out.prn";

// Every key and value under `path` with its data, and every file under `folder` with its size and
// write time: what a change anywhere below them would alter.
std::string RegistryTree(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return path + " (absent)\n";
    std::string tree = path + "\n";
    char name[512];
    BYTE data[4096];
    DWORD nameSize = 0, dataSize = 0, type = 0;
    for (DWORD i = 0; nameSize = sizeof(name), dataSize = sizeof(data),
               RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) == ERROR_SUCCESS;
         ++i)
        tree += "  " + std::string(name) + " " + std::to_string(type) + " " +
                std::string(reinterpret_cast<char*>(data), dataSize) + "\n";
    for (DWORD i = 0; nameSize = sizeof(name),
               RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i)
        tree += RegistryTree(root, path + "\\" + name);
    RegCloseKey(key);
    return tree;
}
std::string FolderTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return folder + " (absent)\n";
    std::string tree;
    do {
        const std::string path = folder + "\\" + found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            tree += path + " " + std::to_string(found.nFileSizeLow) + " " +
                    std::to_string(found.ftLastWriteTime.dwLowDateTime) + "\n";
        else if (found.cFileName[0] != '.')
            tree += FolderTree(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return tree;
}

LONG DeleteCheckPort()
{
    HKEY key = nullptr;
    LONG error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &key);
    return error != ERROR_SUCCESS ? error : (error = RegDeleteValueA(key, kCheckPort), RegCloseKey(key), error);
}

// Opens the model's printer with full access for `change`.
bool ChangePrinter(const std::function<bool(HANDLE)>& change)
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<wchar_t*>(L"VELM58KD"), &printer, &all))
        return false;
    const bool done = change(printer);
    ClosePrinter(printer);
    return done;
}

class Check : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = MakeTempDir("check");
        ASSERT_TRUE(!m_folder.empty() && CopyTree(SamplePackageDir(), m_folder));
        ASSERT_TRUE(SpoolerTakenAway::ServiceNow(m_startType, m_state));
        Fresh();
    }
    void TearDown() override
    {
        RemovePrinterAndDriver();
        DeleteCheckPort();
        SetSpoolerService(m_startType, m_state);
    }
    // Nothing of the printer's in the prefix, the file port there, and the Spooler service as Windows has
    // it (automatic and running): Wine's is demand-start and stopped in a fresh prefix while its spooler
    // works inside every process, and on Windows that state stops printing, which the check names.
    void Fresh()
    {
        RemovePrinterAndDriver();
        DeletePackageFiles(DriverDirectory(HostEnvironment()));
        ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, kPortsKey, kCheckPort, ""));
        ASSERT_TRUE(SetSpoolerService(SERVICE_AUTO_START, SERVICE_RUNNING));
    }
    DWORD Run(const std::string& arguments)
    {
        StartedProgram program;
        return StartProgram(m_folder + "\\PrinterSetup.exe", arguments, m_folder, program) ? program.WaitForExit(30000)
                                                                                          : 0xFFFFFFFF;
    }
    DWORD RunCheck()
    {
        DeleteFileA((m_folder + "\\c.log").c_str());
        return Run("/quiet /check /log c.log");
    }
    void InstallReady()
    {
        ASSERT_EQ(0u, Run(std::string("/quiet /nodefault /port \"") + kCheckPort + "\""));
        ASSERT_EQ(0u, RunCheck()) << Log();
    }
    std::string Log() const { return ReadFileText(m_folder + "\\c.log"); }

    std::string m_folder;
    DWORD m_startType = SERVICE_DEMAND_START, m_state = SERVICE_STOPPED;
};

// Nothing installed, then ready on a fresh installation, which the check leaves as it found it; then each
// break made on a fresh installation needs a repair, and the check names the problem.
TEST_F(Check, NothingInstalledThenReadyUnchangedThenEachBreakNamed)
{
    EXPECT_EQ(1605u, RunCheck()) << Log();
    EXPECT_NE(std::string::npos, Log().find("Result: not installed, exit code 1605.")) << Log();
    InstallReady();
    const std::string driverFolder = DriverDirectory(HostEnvironment());
    auto prefix = [&] {
        return RegistryTree(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Print") +
               RegistryTree(HKEY_LOCAL_MACHINE, kPortsKey) + RegistryTree(HKEY_CURRENT_USER, kWindowsKey) +
               FolderTree(driverFolder);
    };
    const std::string before = prefix();
    ASSERT_EQ(0u, RunCheck());
    EXPECT_NE(std::string::npos, before.find("\\3\\VELM58KD.GPD")) << "the driver folder was read: " << before;
    EXPECT_EQ(before, prefix());
    for (const std::string& line : {std::string("Print Spooler service: ok, running, starts automatically."),
                                    "Printer \"VELM58KD\": ok, on port \"" + std::string(kCheckPort) + "\"",
                                    std::string("Driver files: ok"), std::string("Result: ready, exit code 0.")})
        EXPECT_NE(std::string::npos, Log().find(line)) << line << "\n" << Log();

    std::optional<SpoolerTakenAway> away;
    const struct {
        const char* name;
        std::function<bool()> make;
        std::string problem;
    } breaks[] = {
        {"a driver file removed", [&] { return DeleteFileA((driverFolder + "\\3\\UNIDRV.HLP").c_str()) != FALSE; },
         "The driver file \"uniDRV.HLP\" named by the driver \"VELM58KD\" is missing from"},
        {"the port removed", [] { return DeleteCheckPort() == ERROR_SUCCESS; },
         std::string("The printer's port ") + kCheckPort + " no longer exists: run the setup again and choose a port."},
        {"the printer set to work offline",
         [] {
             return ChangePrinter([](HANDLE printer) {
                 DWORD needed = 0;
                 GetPrinterW(printer, 2, nullptr, 0, &needed);
                 std::string buffer(needed, '\0');
                 auto* info = reinterpret_cast<PRINTER_INFO_2W*>(&buffer[0]);
                 if (!GetPrinterW(printer, 2, reinterpret_cast<BYTE*>(info), needed, &needed))
                     return false;
                 info->Attributes |= PRINTER_ATTRIBUTE_WORK_OFFLINE;
                 return SetPrinterW(printer, 2, reinterpret_cast<BYTE*>(info), 0) != FALSE;
             });
         },
         "The printer is set to work offline"},
        {"the printer removed",
         [] { return ChangePrinter([](HANDLE printer) { return DeletePrinter(printer) != FALSE; }); },
         "The printer \"VELM58KD\" is not installed, although its driver is: run the setup again"},
        // As on a Windows whose Spooler service an administrator disabled: the service is set so, and the
        // program's spooler calls fail (Wine's spooler is taken away from it).
        {"the spooler service disabled", [&] { return away.emplace("PrinterSetup.exe", SERVICE_DISABLED).Ready(); },
         "The Print Spooler service is disabled: nothing can print. Open Services (services.msc), set "
         "\"Print Spooler\" to Automatic and start it."},
    };
    for (const auto& broken : breaks) {
        SCOPED_TRACE(broken.name);
        if (&broken != breaks) {
            Fresh();
            InstallReady();
        }
        ASSERT_TRUE(broken.make());
        EXPECT_EQ(1610u, RunCheck());
        away.reset();
        EXPECT_NE(std::string::npos, Log().find("Problem: " + broken.problem)) << Log();
    }
}

}  // namespace
