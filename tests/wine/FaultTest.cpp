// Faults the real program survives under Wine: files held open by another process, awkward
// current directories, and a second copy started while one runs. Each ends with a clear
// message or a correct installation, never with a false "Completed!".
#include <cstdio>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "InstallationWineSupport.h"
#include "WineTestSupport.h"
#include "res/resource.h"

namespace {

const char* const kEnvironment = HostEnvironment();
const DWORD kExitAlreadyRunning = 1618;

// A file opened for writing, as another program holds it, until destroyed; shared with nobody,
// or with readers.
struct HeldFile {
    HANDLE handle;
    explicit HeldFile(const std::string& path, DWORD creation = OPEN_EXISTING, DWORD sharing = 0)
        : handle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, sharing, nullptr, creation, 0, nullptr))
    {
    }
    ~HeldFile()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

// Writes `text` into an open file and makes 00:00 UTC of the day its last-write time.
bool WriteDated(HANDLE file, const std::string& text, WORD year, WORD month, WORD day)
{
    DWORD written = 0;
    SYSTEMTIME date = {year, month, 0, day};
    FILETIME time = {};
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && FlushFileBuffers(file) &&
           SystemTimeToFileTime(&date, &time) && SetFileTime(file, nullptr, nullptr, &time);
}

class Faults : public testing::Test {
protected:
    void SetUp() override
    {
        SetWineVersionFor("PrinterSetup.exe", "");
        RemovePrinterAndDriver();
        ASSERT_FALSE(FindPrinter().found);
        ASSERT_FALSE(FindDriver(kEnvironment).found);
        DeletePackageFiles(DriverDirectory(kEnvironment));
    }

    // A copy of the sample package; the program runs from it, in it.
    std::string NewPackage(const std::string& folder)
    {
        if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
        return CopyTree(SamplePackageDir(), folder) ? folder : std::string();
    }

    bool Start(const std::string& folder, StartedProgram& program, const std::string& arguments = "")
    {
        return StartProgram(folder + "\\PrinterSetup.exe", arguments, folder, program);
    }

    // From the first page to "&Install"; answers the message the installation ends with.
    HWND InstallThroughThePages(StartedProgram& program, HWND* portPage)
    {
        *portPage = WalkToPortPage(program).port;
        if (!*portPage)
            return nullptr;
        ClickButton(*portPage, IDC_PP_INSTALL);
        return WaitForTopWindow(kMessageCaption, program.pid);
    }

    // A failed installation: its message names `file`, and the user leaves from the port page.
    void ExpectFailureNaming(StartedProgram& program, const char* file)
    {
        HWND portPage = nullptr;
        HWND message = InstallThroughThePages(program, &portPage);
        ASSERT_NE(nullptr, message) << "no message after the installation";
        std::wstring text = AllStaticTextsW(message);
        EXPECT_EQ(std::wstring::npos, text.find(L"Completed!"));
        EXPECT_NE(std::wstring::npos, text.find(Utf16(file))) << "the message does not name " << file;
        ClickButton(message, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(message); }, 5000));
        ASSERT_TRUE(IsWindowVisible(portPage)) << "the port page stays for another try";
        ClickButton(portPage, IDC_PP_CANCEL);
        HWND settings = WaitForTopWindow(kSettingsCaption, program.pid);
        ASSERT_NE(nullptr, settings);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(settings) != FALSE; }, 5000));
        ClickButton(settings, IDC_PS_EXIT);
        EXPECT_EQ(0u, program.WaitForExit());
        EXPECT_FALSE(FindDriver(kEnvironment).found) << "the driver was registered after a failed copy";
        EXPECT_FALSE(FindPrinter().found) << "a printer was created after a failed copy";
    }

    // A first installation from `folder` shows where the spooler keeps the driver's files: the
    // path of its data file; the driver and the printer are removed again.
    std::string DataFileOfAFirstInstallation(const std::string& folder)
    {
        StartedProgram first;
        if (!Start(folder, first))
            return std::string();
        ExpectCompletedFrom(first, folder);
        const std::string dataFile = FindDriver(kEnvironment).dataFile;
        RemovePrinterAndDriver();
        return dataFile;
    }

    // A completed installation from `folder`, with its message: the driver directory holds its files.
    void ExpectCompletedFrom(StartedProgram& program, const std::string& folder,
                             const std::wstring& completion = L"Completed!")
    {
        HWND portPage = nullptr;
        HWND message = InstallThroughThePages(program, &portPage);
        ASSERT_NE(nullptr, message) << "no message after the installation";
        EXPECT_EQ(completion, AllStaticTextsW(message));
        ClickButton(message, IDOK);
        EXPECT_EQ(0u, program.WaitForExit());
        EXPECT_TRUE(FindDriver(kEnvironment).found);
        EXPECT_TRUE(FindPrinter().found);
        for (const char* name : kPackageFiles) {
            std::string source = ReadLongPath(folder + "\\" + HostDriverFolder() + "\\" + name);
            EXPECT_FALSE(source.empty()) << name;
            EXPECT_EQ(source, ReadFileText(DriverDirectory(kEnvironment) + "\\" + name)) << name;
        }
    }
};

TEST_F(Faults, APackageFileHeldOpenByAnotherProgramStopsTheInstallationWithItsName)
{
    std::string folder = NewPackage(MakeTempDir("held-package"));
    ASSERT_FALSE(folder.empty());
    // The sixth of the eight files: it is found unreadable before any file is copied.
    HeldFile held(folder + "\\" + HostDriverFolder() + "\\UNIRES.DLL");
    ASSERT_NE(INVALID_HANDLE_VALUE, held.handle);
    StartedProgram program;
    ASSERT_TRUE(Start(folder, program));
    ExpectFailureNaming(program, "UNIRES.DLL");
    for (const char* name : kPackageFiles)
        EXPECT_FALSE(FileExists(DriverDirectory(kEnvironment) + "\\" + name))
            << name << " was copied before the refusal";
}

TEST_F(Faults, ALockedFileInTheDriverDirectoryStopsTheInstallationWithItsName)
{
    std::string folder = NewPackage(MakeTempDir("locked-target"));
    ASSERT_FALSE(folder.empty());
    HeldFile held(DriverDirectory(kEnvironment) + "\\VELM58KD.GPD", CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, held.handle);
    StartedProgram program;
    ASSERT_TRUE(Start(folder, program));
    ExpectFailureNaming(program, "VELM58KD.GPD");
}

TEST_F(Faults, AnEmptyPackageFileIsNamedLikeAMissingOneAndNothingIsCopied)
{
    std::string folder = NewPackage(MakeTempDir("empty-file"));
    ASSERT_FALSE(folder.empty());
    HANDLE emptied = CreateFileA((folder + "\\" + HostDriverFolder() + "\\STDNAMES.GPD").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, emptied);
    CloseHandle(emptied);
    StartedProgram program;
    ASSERT_TRUE(Start(folder, program));
    ExpectFailureNaming(program, "STDNAMES.GPD");
    for (const char* name : kPackageFiles)
        EXPECT_FALSE(FileExists(DriverDirectory(kEnvironment) + "\\" + name))
            << name << " was copied before the refusal";
}

TEST_F(Faults, AStaleDriverFileTheSpoolerCannotReplaceIsNamedInsteadOfCompleted)
{
    std::string folder = NewPackage(MakeTempDir("stale-gpd"));
    ASSERT_FALSE(folder.empty());
    const std::string installed = DataFileOfAFirstInstallation(folder);
    ASSERT_TRUE(EndsWith(installed, "\\VELM58KD.GPD")) << installed;

    // An older GPD, dated before the package's, stays in that folder, held open by a program
    // that prints with it: the spooler cannot overwrite it, though anyone may read it.
    HANDLE stale = CreateFileA(installed.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
    ASSERT_TRUE(WriteDated(HeldFile(folder + "\\" + HostDriverFolder() + "\\VELM58KD.GPD").handle, "", 2012, 3, 1));
    ASSERT_TRUE(WriteDated(stale, "*GPDSpecVersion: \"0.9\"\r\n", 2010, 1, 1));

    StartedProgram second;
    ASSERT_TRUE(Start(folder, second));
    HWND portPage = nullptr;
    HWND message = InstallThroughThePages(second, &portPage);
    std::wstring text = message ? AllStaticTextsW(message) : std::wstring();
    const std::string afterwards = ReadFileText(installed);
    CloseHandle(stale);
    DeleteFileA(installed.c_str());
    ASSERT_NE(nullptr, message) << "no message after the installation";
    EXPECT_EQ(std::wstring::npos, text.find(L"Completed!"));
    EXPECT_NE(std::wstring::npos, text.find(Utf16(installed.c_str()))) << "the message does not name the stale file";
    EXPECT_NE(std::wstring::npos, text.find(L"restart the computer"));
    EXPECT_NE(std::wstring::npos, text.find(L"dated 2010-01-01; the package's: no version, dated 2012-03-01")) << text;
    EXPECT_EQ(0u, afterwards.rfind("*GPDSpecVersion: \"0.9\"", 0)) << "the test's premise: the old file stayed";
    ClickButton(message, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(message); }, 5000));
    ASSERT_TRUE(IsWindowVisible(portPage)) << "the port page stays for another try";
    ClickButton(portPage, IDC_PP_CANCEL);
    HWND settings = WaitForTopWindow(kSettingsCaption, second.pid);
    ASSERT_NE(nullptr, settings);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(settings) != FALSE; }, 5000));
    ClickButton(settings, IDC_PS_EXIT);
    EXPECT_EQ(0u, second.WaitForExit());
    EXPECT_FALSE(FindPrinter().found) << "a printer was put on the stale driver";
}

// Microsoft's own STDNAMES.GPD, dated after the package's, in the spooler's folder and held open
// by a program that prints with it: Windows' choice, so the installation completes and names it.
TEST_F(Faults, ALaterGpdTheSpoolerKeepsIsNamedInTheCompletionWithBothDates)
{
    std::string folder = NewPackage(MakeTempDir("later-gpd"));
    ASSERT_FALSE(folder.empty());
    const std::string dataFile = DataFileOfAFirstInstallation(folder);
    ASSERT_TRUE(EndsWith(dataFile, "\\VELM58KD.GPD")) << dataFile;
    const std::string installed = dataFile.substr(0, dataFile.size() - 12) + "STDNAMES.GPD";

    const std::string later = "*Include: \"StdNames.gpd\" (a later Unidrv core's)\r\n";
    ASSERT_TRUE(WriteDated(HeldFile(folder + "\\" + HostDriverFolder() + "\\STDNAMES.GPD").handle, "", 2012, 3, 1));
    {
        HeldFile held(installed, CREATE_ALWAYS, FILE_SHARE_READ);
        ASSERT_TRUE(WriteDated(held.handle, later, 2021, 6, 5));
        StartedProgram second;
        ASSERT_TRUE(Start(folder, second));
        ExpectCompletedFrom(second, folder, L"Completed!\n\nSTDNAMES.GPD: Windows kept its copy dated 2021-06-05; the "
                                            L"package's is dated 2012-03-01");
        EXPECT_EQ(later, ReadFileText(installed)) << "the test's premise: the later file stayed";
    }
    DeleteFileA(installed.c_str());
}

// A sealed program refuses a changed USB installer with a message, without starting it, and a
// changed plug-in by name, copying nothing; changed back, the release's own start and install.
TEST_F(Faults, ASealedProgramRefusesAChangedDriverFileOrUsbInstallerByNameAndUsesTheReleasesOwn)
{
    std::string folder = NewPackage(MakeTempDir("sealed"));
    ASSERT_TRUE(!folder.empty() && UseSealedProgram(folder));
    const std::string plugin = folder + "\\" + HostDriverFolder() + "\\QRX58.DLL", installer = folder + "\\" + HostUsbInstaller();
    ASSERT_TRUE(FlipByte(plugin, 20) && FlipByte(installer, 0x100));
    StartedProgram refused;
    ASSERT_TRUE(Start(folder, refused));
    ClickButton(WaitForTopWindow(kOsCaption, refused.pid), IDC_OS_USB_SERIAL_SETUP);
    HWND message = WaitForTopWindow(kMessageCaption, refused.pid);
    EXPECT_NE(std::wstring::npos, AllStaticTextsW(message).find(Utf16(HostUsbInstaller().c_str())));
    ClickButton(message, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(message); }, 5000));
    ExpectFailureNaming(refused, (HostDriverFolder() + "\\QRX58.DLL").c_str());
    EXPECT_FALSE(FileExists(installer + ".started")) << "the changed installer ran";

    ASSERT_TRUE(FlipByte(plugin, 20) && FlipByte(installer, 0x100));
    StartedProgram sealed;
    ASSERT_TRUE(Start(folder, sealed));
    ClickButton(WaitForTopWindow(kOsCaption, sealed.pid), IDC_OS_USB_SERIAL_SETUP);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(installer + ".started"); })) << "the release's installer starts";
    ExpectCompletedFrom(sealed, folder);
}

TEST_F(Faults, ACurrentDirectoryWithChineseCharactersInstallsAndStartsTheUsbInstaller)
{
    // Under the zh_CN locale the ANSI code page is 936, which holds these characters.
    std::wstring name = Utf16("打印机驱动 (测试版)");
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring wideFolder = std::wstring(temp) + name + L"-" + std::to_wstring(GetTickCount());
    if (!CreateDirectoryW(wideFolder.c_str(), nullptr)) {
        // Where an ASCII name goes through, the Chinese one is what fails.
        std::string plain = MakeTempDir("plain");
        if (!plain.empty())
            GTEST_SKIP() << "Wine cannot name a file in Chinese here (error " << GetLastError()
                         << "): its Unix side needs the zh_CN.UTF-8 glibc locale (e.g. localedef -i zh_CN -f UTF-8 "
                            "DIR/zh_CN.UTF-8 and LOCPATH=DIR)";
    }
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(wideFolder.c_str())) << GetLastError();
    char ansi[MAX_PATH] = {};
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, wideFolder.c_str(), -1, ansi, MAX_PATH, nullptr, &lossy);
    ASSERT_FALSE(lossy) << "the test needs code page 936 (LANG=zh_CN.UTF-8)";
    std::string folder = NewPackage(ansi);
    ASSERT_FALSE(folder.empty());

    StartedProgram first;
    ASSERT_TRUE(Start(folder, first));
    HWND os = WaitForTopWindow(kOsCaption, first.pid);
    ASSERT_NE(nullptr, os);
    ClickButton(os, IDC_OS_USB_SERIAL_SETUP);
    std::string marker = folder + "\\" + HostUsbInstaller() + ".started";
    EXPECT_TRUE(WaitUntil([&] { return FileExists(marker); }));
    EXPECT_EQ(folder, ReadFileText(marker)) << "the installer runs in the wizard's folder";
    ClickButton(os, IDC_OS_EXIT);
    EXPECT_EQ(0u, first.WaitForExit());

    StartedProgram second;
    ASSERT_TRUE(Start(folder, second));
    ExpectCompletedFrom(second, folder);
}

TEST_F(Faults, ACurrentDirectoryCloseToMaxPathStillInstalls)
{
    // Nested so that the folder is 240 characters long: the package's paths beneath it run
    // past MAX_PATH (260), the folder itself does not (a current directory must not).
    std::string folder = MakeTempDir("longcwd");
    ASSERT_FALSE(folder.empty());
    while (folder.size() < 240) {
        folder += "\\" + std::string(std::min<size_t>(40, 240 - folder.size() - 1), 'd');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder.size();
    }
    ASSERT_EQ(240u, folder.size());
    ASSERT_FALSE(NewPackage(folder).empty());
    std::string longest = folder + "\\" + HostDriverFolder() + "\\uniDRVui.DLL";
    ASSERT_GT(longest.size(), static_cast<size_t>(MAX_PATH));

    StartedProgram program;
    ASSERT_TRUE(Start(folder, program));
    // Wine reaches paths longer than MAX_PATH, so here the installation completes; Windows
    // without long-path support refuses them, and the program then names the files instead
    // (the missing-file message), changing nothing.
    ExpectCompletedFrom(program, folder);
}

TEST_F(Faults, ASecondCopySaysSoAndEndsWhileTheFirstCarriesOn)
{
    std::string folder = NewPackage(MakeTempDir("twice"));
    ASSERT_FALSE(folder.empty());
    StartedProgram first;
    ASSERT_TRUE(Start(folder, first));
    HWND firstPage = WaitForTopWindow(kOsCaption, first.pid);
    ASSERT_NE(nullptr, firstPage);

    StartedProgram second;
    ASSERT_TRUE(Start(folder, second));
    HWND message = WaitForTopWindow(kMessageCaption, second.pid);
    ASSERT_NE(nullptr, message) << "the second copy said nothing";
    EXPECT_NE(std::wstring::npos, AllStaticTextsW(message).find(Utf16("已经在运行")))
        << "not the already-running message";
    EXPECT_EQ(nullptr, FindTopWindow(kOsCaption, second.pid)) << "the second copy showed a page";
    ClickButton(message, IDOK);
    EXPECT_EQ(kExitAlreadyRunning, second.WaitForExit());

    // An unattended second copy shows nothing and only answers its exit code.
    StartedProgram quiet;
    ASSERT_TRUE(Start(folder, quiet, "/quiet"));
    EXPECT_EQ(kExitAlreadyRunning, quiet.WaitForExit(15000));
    EXPECT_FALSE(FindDriver(kEnvironment).found) << "the unattended copy installed beside the running wizard";

    // The first is untouched, and once it has ended a new copy starts as usual.
    ASSERT_TRUE(IsWindowVisible(firstPage));
    ClickButton(firstPage, IDC_OS_EXIT);
    EXPECT_EQ(0u, first.WaitForExit());
    StartedProgram third;
    ASSERT_TRUE(Start(folder, third));
    HWND thirdPage = WaitForTopWindow(kOsCaption, third.pid);
    ASSERT_NE(nullptr, thirdPage);
    ClickButton(thirdPage, IDC_OS_EXIT);
    EXPECT_EQ(0u, third.WaitForExit());
}

TEST_F(Faults, TwoCopiesStartedAtOnceGiveOneWizard)
{
    std::string folder = NewPackage(MakeTempDir("atonce"));
    ASSERT_FALSE(folder.empty());
    StartedProgram one, two;
    ASSERT_TRUE(Start(folder, one));
    ASSERT_TRUE(Start(folder, two));
    // One of them shows the first page, the other the message; which one is the scheduler's.
    HWND pageOfOne = nullptr, pageOfTwo = nullptr, messageOfOne = nullptr, messageOfTwo = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        pageOfOne = FindTopWindow(kOsCaption, one.pid);
        pageOfTwo = FindTopWindow(kOsCaption, two.pid);
        messageOfOne = FindTopWindow(kMessageCaption, one.pid);
        messageOfTwo = FindTopWindow(kMessageCaption, two.pid);
        return (pageOfOne && messageOfTwo) || (pageOfTwo && messageOfOne);
    })) << "expected one page and one message";
    Sleep(300);
    EXPECT_FALSE(pageOfOne && pageOfTwo) << "both copies show the wizard";
    StartedProgram& wizard = pageOfOne ? one : two;
    StartedProgram& refused = pageOfOne ? two : one;
    ClickButton(pageOfOne ? messageOfTwo : messageOfOne, IDOK);
    EXPECT_EQ(kExitAlreadyRunning, refused.WaitForExit());
    ClickButton(pageOfOne ? pageOfOne : pageOfTwo, IDC_OS_EXIT);
    EXPECT_EQ(0u, wizard.WaitForExit());
}

}  // namespace
