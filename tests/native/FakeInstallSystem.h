// Recording fakes of the installation's spooler, files, registry and feedback. Every call
// lands in one log, in order, so a test sees the exact sequence across all four; any call
// whose log line starts with `failOn` fails with `failError`. The spooler follows Windows'
// rules where Wine's differs, each named by its row of docs/windows-rules.md.
#pragma once
#include <cctype>
#include <algorithm>
#include <cstring>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "RegistryDwordValues.h"
#include "install/Installation.h"
#include "install/PackageSeal.h"
#include "system/Win32ErrorCodes.h"

class FakeInstallSystem : public DriverSpooler, public PackageFiles, public RegistryWriter, public InstallFeedback {
public:
    // The system as a fresh Windows has it.
    std::string driverDirectory = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
    std::set<std::string> missing;  // package files that are not there
    std::set<std::string> folders = {"Printer Driver\\x86\\", "Printer Driver\\x64\\"};  // the package's folders
    std::map<std::string, uint32_t> unreadable;  // package files that are there but cannot be opened
    std::set<std::string> empty;                 // package files of 0 bytes
    // The files as they are on disk, by path in upper case; a package file not in here holds
    // "bytes of " and its path. Copy and AddDriver write here.
    std::map<std::string, std::string> disk;
    std::map<std::string, uint32_t> readErrors;  // Read of these paths (upper case) fails
    // Files that AddDriver leaves as they were in the version folder, as a spooler that cannot
    // replace a file in use does: file name -> the older content.
    std::map<std::string, std::string> staleInstalled;
    // Version resources and dates by path in upper case (none: no version, dated 0); Copy keeps
    // them, as CopyFile keeps a file's bytes and last-write time.
    std::map<std::string, DriverFileFacts> facts;
    std::map<std::string, uint32_t> factsErrors;  // ReadFacts of these paths (upper case) fails
    WindowsVersion windows;        // the running system, whose rule decides "newer"
    // R4: a driver that a policy blocks (3014) or warns about (3013): refused with that code under
    // APD_RETURN_BLOCKING_STATUS_CODE, as ERROR_UNKNOWN_PRINTER_DRIVER without it. 0: none.
    uint32_t policyRefusal = 0;
    // R5: a Windows that does not know APD_RETURN_BLOCKING_STATUS_CODE refuses it as an invalid parameter.
    bool refusesBlockingStatus = false;
    bool packageHasKaplinx = false;  // the sample package ships no KAPLINX files
    std::set<std::string> notRegistered;  // file names GetInstalledDriver leaves out of the record
    std::set<std::string> existingKeys = {"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports"};
    std::set<std::string> existingPrinters;
    bool driverInstalled = false;

    std::string failOn;
    uint32_t failError = 5;  // ERROR_ACCESS_DENIED

    std::vector<std::string> log;
    std::vector<DriverRecord> drivers;
    std::vector<PrinterRecord> printers;     // CreatePrinter's records
    std::vector<PrinterRecord> rebinds;      // RebindPrinter's records
    std::map<std::string, PrinterRecord> bindings;  // each printer's port and driver
    std::map<std::string, std::string> values;     // "key\\name" -> data as passed, size included
    std::map<std::string, RegistryDword> dwords;   // "key\\name" -> a value meant as a DWORD
    std::vector<int> progress;
    int registryMessages = 0;
    std::vector<int> pauses;
    int openHandles = 0;
    int openKeys = 0;

    std::optional<PackageSeal> seal;  // the program's seal; none: a developer build's
    InstallSystem System()
    {
        InstallSystem system{*this, *this, *this, *this, PrintPolicies(), false, seal ? &*seal : nullptr};
        system.policies.version = windows;
        return system;
    }

    // The log lines that change something on the system.
    std::vector<std::string> Changes() const
    {
        std::vector<std::string> changes;
        for (const std::string& line : log)
            if (line.rfind("Copy ", 0) == 0 || line.rfind("AddDriver", 0) == 0 || line.rfind("CreatePrinter", 0) == 0 ||
                line.rfind("Rebind", 0) == 0 || line.rfind("CreateKey", 0) == 0 || line.rfind("SetValue", 0) == 0)
                changes.push_back(line);
        return changes;
    }

    // DriverSpooler, answering like winspool: too small a buffer gets 122 and the size needed.
    uint32_t GetDriverDirectory(const std::string& environment, char* buffer, uint32_t size,
                                uint32_t& needed) override
    {
        if (uint32_t error = Record("GetDriverDirectory " + environment + " " + std::to_string(size)))
            return error;
        if (size < driverDirectory.size() + 1) {
            needed = static_cast<uint32_t>(driverDirectory.size() + 1);
            return kErrorInsufficientBuffer;
        }
        std::memcpy(buffer, driverDirectory.c_str(), driverDirectory.size() + 1);
        return 0;
    }
    // Logged as "AddDriver NAME ENVIRONMENT", "... without the blocking codes" when made as AddPrinterDriver.
    uint32_t AddDriver(const DriverRecord& driver, bool blockingStatus) override
    {
        drivers.push_back(driver);
        if (uint32_t error = Record("AddDriver " + driver.name + " " + driver.environment + Plain(blockingStatus)))
            return error;
        if (uint32_t error = PolicyAnswer(blockingStatus))
            return error;
        if (driverInstalled && alreadyInstalledError != 0)
            return alreadyInstalledError;
        return InstallRecord(driver);
    }
    // A spooler that warns about the driver until it is added with the warned-driver flag.
    uint32_t AddWarnedDriver(const DriverRecord& driver, bool blockingStatus) override
    {
        if (uint32_t error = Record("AddWarnedDriver " + driver.name + " " + driver.environment + Plain(blockingStatus)))
            return error;
        if (uint32_t error = PolicyAnswer(blockingStatus); error != 0 && error != kErrorPrinterDriverWarned)
            return error;
        drivers.push_back(driver);
        return InstallRecord(driver);
    }
    static std::string Plain(bool blockingStatus) { return blockingStatus ? "" : " without the blocking codes"; }
    // R4, R5: what a policy makes of the call, by its flags.
    uint32_t PolicyAnswer(bool blockingStatus) const
    {
        if (blockingStatus && refusesBlockingStatus)
            return kErrorInvalidParameter;
        if (policyRefusal == 0)
            return 0;
        return blockingStatus ? policyRefusal : 1797;  // ERROR_UNKNOWN_PRINTER_DRIVER
    }
    uint32_t GetInstalledDriver(const std::string& name, const std::string& environment,
                                InstalledDriverFiles& files) override
    {
        if (uint32_t error = Record("GetInstalledDriver " + name + " " + environment))
            return error;
        if (!driverInstalled || drivers.empty())
            return 1797;  // ERROR_UNKNOWN_PRINTER_DRIVER
        // R2: the entry of the version registered, its files in the version folder 3\.
        const DriverRecord& driver = drivers.back();
        auto path = [&](const std::string& file) {
            std::string bare = file.rfind("\\", 0) == 0 ? file.substr(1) : file;
            return notRegistered.count(bare) ? std::string() : VersionFolder() + "\\" + bare;
        };
        files = InstalledDriverFiles();
        files.version = driver.version;
        files.driverPath = path(driver.driverPath);
        files.dataFile = path(driver.dataFile);
        files.configFile = path(driver.configFile);
        files.helpFile = path(driver.helpFile);
        for (const std::string& dependent : Names(driver.dependentFiles))
            if (!path(dependent).empty())
                files.dependentFiles.push_back(path(dependent));
        return 0;
    }
    std::string VersionFolder() const { return driverDirectory + "\\3"; }
    // The spooler's side of AddDriver, by Windows' documented rules rather than Wine's.
    uint32_t InstallRecord(const DriverRecord& driver)
    {
        // R3: every file the record names must be in the driver directory first.
        for (const std::string& name : RegisteredNames(driver))
            if (!disk.count(Upper(driverDirectory + "\\" + name)))
                return kErrorFileNotFound;
        driverInstalled = true;
        for (const std::string& name : RegisteredNames(driver)) {
            const std::string from = Upper(driverDirectory + "\\" + name), to = Upper(VersionFolder() + "\\" + name);
            auto stale = staleInstalled.find(name);
            if (stale != staleInstalled.end()) {  // D2: in use, it stays whatever it is, and the call succeeds
                disk[to] = stale->second;
                continue;
            }
            if (disk.count(to) && Keeps(Facts(to), Facts(from)))
                continue;
            disk[to] = disk[from];
            facts[to] = Facts(from);
        }
        return 0;
    }
    // D1: the spooler copies only a file newer than the one in the version folder.
    bool Keeps(const DriverFileFacts& installed, const DriverFileFacts& offered) const
    {
        // Where the rules decide nothing (D4, D5, D6 at the same time), the installed file stays:
        // the case in which the program's verdict on it counts.
        if (DecidesByTimeStamp(windows))  // D6: by time stamp alone
            return installed.writeTime >= offered.writeTime;
        const uint64_t mine = uint64_t(installed.versionMS) << 32 | installed.versionLS,
                       theirs = uint64_t(offered.versionMS) << 32 | offered.versionLS;
        if (installed.hasVersion && offered.hasVersion && mine != theirs)  // D3: by version
            return mine > theirs;
        return true;  // D4, D5
    }
    void SetFacts(const std::string& path, const DriverFileFacts& given) { facts[Upper(path)] = given; }
    DriverFileFacts Facts(const std::string& path) const
    {
        auto found = facts.find(Upper(path));
        return found != facts.end() ? found->second : DriverFileFacts();
    }
    uint32_t CreatePrinter(const PrinterRecord& record, PrinterHandle& printer) override
    {
        printers.push_back(record);
        printer = nullptr;
        if (uint32_t error = Record("CreatePrinter " + record.printerName + " on " + record.portName))
            return error;
        if (existingPrinters.count(record.printerName))
            return kErrorPrinterAlreadyExists;
        existingPrinters.insert(record.printerName);
        bindings[record.printerName] = record;
        return Open(record.printerName, printer);
    }
    uint32_t OpenExistingPrinter(const std::string& name, PrinterHandle& printer) override
    {
        printer = nullptr;
        if (uint32_t error = Record("OpenExistingPrinter " + name))
            return error;
        return existingPrinters.count(name) ? Open(name, printer) : 1801;  // ERROR_INVALID_PRINTER_NAME
    }
    uint32_t RebindPrinter(PrinterHandle printer, const PrinterRecord& record) override
    {
        rebinds.push_back(record);
        if (printer != LiveHandle())
            return Record("Rebind on a dead handle"), 6;  // ERROR_INVALID_HANDLE
        if (uint32_t error = Record("Rebind " + record.printerName + " to " + record.portName))
            return error;
        bindings[record.printerName] = record;
        return 0;
    }
    uint32_t GetPrinterBinding(PrinterHandle printer, std::string& port, std::string& driver) override
    {
        if (printer != LiveHandle())
            return 6;
        if (uint32_t error = Record("GetPrinterBinding " + m_openedName))
            return error;
        port = bindings[m_openedName].portName;
        driver = bindings[m_openedName].driverName;
        return 0;
    }
    void ClosePrinter(PrinterHandle printer) override
    {
        const bool issued = printer >= &m_handles[0] && printer <= &m_handles[kSpoolerRuns - 1];
        Record(printer == LiveHandle() ? "ClosePrinter" : issued ? "ClosePrinter (dead handle)" : "ClosePrinter (no handle)");
        if (issued)
            --openHandles;
    }
    // S6: the spooler process ends and a new one runs: the handles of the old one are dead.
    void RestartSpooler() { ++m_spoolerRun; }

    // PackageFiles
    uint32_t CheckReadable(const std::string& path, uint64_t& size) override
    {
        Record("CheckReadable " + path);
        if (Absent(path))
            return kErrorFileNotFound;
        auto found = unreadable.find(path);
        if (found != unreadable.end())
            return found->second;
        size = Content(path).size();
        return 0;
    }
    bool HasFolder(const std::string& path) override
    {
        Record("HasFolder " + path);
        return folders.count(path) != 0;
    }
    uint32_t Copy(const std::string& from, const std::string& to) override
    {
        if (uint32_t error = Record("Copy " + from + " -> " + to))
            return error;
        disk[Upper(to)] = Content(from);
        facts[Upper(to)] = Facts(from);
        return 0;
    }
    // Not logged: reading changes nothing. Pieces of 5 bytes: a piece boundary falls inside every file.
    uint32_t Read(const std::string& path, const FilePieces& pieces) override
    {
        auto error = readErrors.find(Upper(path));
        if (error != readErrors.end())
            return error->second;
        if (Absent(path))
            return kErrorFileNotFound;
        const std::string bytes = Content(path);
        for (size_t at = 0; at < bytes.size(); at += 5)
            pieces(bytes.data() + at, std::min<size_t>(5, bytes.size() - at));
        return 0;
    }
    uint32_t HoldAndRead(const std::string& path, const FilePieces& pieces) override
    {
        Record("Hold " + path);
        const uint32_t error = Read(path, pieces);
        if (error == 0)
            held.push_back(path);
        return error;
    }
    uint32_t ReadFacts(const std::string& path, DriverFileFacts& found) override
    {
        auto error = factsErrors.find(Upper(path));
        if (error != factsErrors.end())
            return error->second;
        if (Absent(path))
            return kErrorFileNotFound;
        found = Facts(path);
        return 0;
    }
    // A package file taken away or never shipped, or a driver directory's file nothing put there.
    bool Absent(const std::string& path) const
    {
        if (!driverDirectory.empty() && path.rfind(driverDirectory, 0) == 0)
            return !disk.count(Upper(path));
        return missing.count(path) || (!packageHasKaplinx && path.find("\\KAPLINX.") != std::string::npos);
    }
    void ReleaseHeldFiles() override
    {
        if (!held.empty())
            log.push_back("Release " + std::to_string(held.size()));
        held.clear();
    }
    std::vector<std::string> held;  // files held open now
    // What a file holds now.
    std::string Content(const std::string& path) const
    {
        auto found = disk.find(Upper(path));
        if (found != disk.end())
            return found->second;
        return empty.count(path) ? std::string() : "bytes of " + path;
    }

    // RegistryWriter
    uint32_t OpenKey(RegistryRoot root, const std::string& path, RegistryKey& key) override
    {
        key = nullptr;
        std::string name = RootName(root) + path;
        if (uint32_t error = Record("OpenKey " + name))
            return error;
        if (!existingKeys.count(name))
            return kErrorFileNotFound;
        return OpenRegistryKey(name, key);
    }
    uint32_t CreateKey(RegistryRoot root, const std::string& path, RegistryKey& key) override
    {
        key = nullptr;
        std::string name = RootName(root) + path;
        if (uint32_t error = Record("CreateKey " + name))
            return error;
        existingKeys.insert(name);
        return OpenRegistryKey(name, key);
    }
    uint32_t SetStringValue(RegistryKey key, const std::string& name, const char* data, uint32_t size) override
    {
        const std::string& keyName = *static_cast<const std::string*>(key);
        if (uint32_t error = Record("SetValue " + keyName + "\\" + name))
            return error;
        values[keyName + "\\" + name] = std::string(data, size);
        return 0;
    }
    uint32_t SetDwordValue(RegistryKey key, const std::string& name, uint32_t data) override
    {
        const std::string path = *static_cast<const std::string*>(key) + "\\" + name;
        const uint32_t error = Record("SetValue " + path + " = " + std::to_string(data));
        if (error == 0)
            dwords[path] = Dword(data);
        return error;
    }
    uint32_t ReadValue(RegistryKey key, const std::string& name, RegistryDword& value) override
    {
        const std::string path = *static_cast<const std::string*>(key) + "\\" + name;
        value = dwords[path];
        return Record("ReadValue " + path);
    }
    void CloseKey(RegistryKey key) override
    {
        Record("CloseKey " + *static_cast<const std::string*>(key));
        --openKeys;
    }

    void AnnounceSettingChange(const std::string& section) override { log.push_back("Announce " + section); }

    // InstallFeedback
    void SetProgress(int position) override
    {
        log.push_back("Progress " + std::to_string(position));
        progress.push_back(position);
    }
    void ShowRegistryMessage() override
    {
        log.push_back("RegistryMessage");
        ++registryMessages;
    }
    void Pause(int milliseconds) override
    {
        log.push_back("Pause " + std::to_string(milliseconds));
        pauses.push_back(milliseconds);
    }
    Answer warnedAnswer = Answer::NobodyToAsk;
    Answer AskInstallWarnedDriver(const std::string& driverName) override
    {
        log.push_back("AskWarned " + driverName);
        return warnedAnswer;
    }
    // Called with each call's log line, after it is logged: a test's way to act between calls.
    std::function<void(const std::string&)> onCall;

    // R7: what AddDriver answers for a driver that is there already (0: it replaces its record).
    uint32_t alreadyInstalledError = 0;

private:
    static std::string Upper(std::string text)
    {
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    }
    static std::vector<std::string> Names(const std::vector<char>& list)
    {
        std::vector<std::string> names;
        for (size_t at = 0; at < list.size() && list[at] != '\0';) {
            names.emplace_back(&list[at]);
            at += names.back().size() + 1;
        }
        return names;
    }
    // The bare file names of a driver record, as the spooler copies them.
    static std::vector<std::string> RegisteredNames(const DriverRecord& driver)
    {
        std::vector<std::string> names;
        for (const std::string& file : {driver.driverPath, driver.dataFile, driver.configFile, driver.helpFile})
            names.push_back(file);
        for (const std::string& file : Names(driver.dependentFiles))
            names.push_back(file);
        for (std::string& name : names)
            if (name.rfind("\\", 0) == 0)
                name = name.substr(1);
        return names;
    }
    static std::string RootName(RegistryRoot root)
    {
        return root == RegistryRoot::CurrentUser ? "HKCU\\" : root == RegistryRoot::Users ? "HKU\\" : "HKLM\\";
    }
    uint32_t Record(const std::string& line)
    {
        log.push_back(line);
        if (onCall)
            onCall(line);
        return !failOn.empty() && line.rfind(failOn, 0) == 0 ? failError : 0;
    }
    uint32_t Open(const std::string& name, PrinterHandle& printer)
    {
        printer = LiveHandle();
        m_openedName = name;
        ++openHandles;
        return 0;
    }
    PrinterHandle LiveHandle() { return &m_handles[m_spoolerRun]; }
    uint32_t OpenRegistryKey(const std::string& name, RegistryKey& key)
    {
        keyNames.push_back(name);
        key = &keyNames.back();
        ++openKeys;
        return 0;
    }

    static constexpr int kSpoolerRuns = 4;
    int m_handles[kSpoolerRuns] = {};
    int m_spoolerRun = 0;
    std::string m_openedName;
    std::list<std::string> keyNames;  // stable addresses: a key handle points at its name
};
