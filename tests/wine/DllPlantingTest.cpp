// The program runs from a driver package that users download and unpack, where someone may
// have planted a DLL. These tests plant copies of tools/planted-dll.c, which leaves a
// "<its path>.loaded" marker when a process loads it, under the names of the DLLs the wizard
// uses that are not known DLLs, beside the program and in its current folder; they then run
// the real PrinterSetup.exe through an installation and look for markers.
//
// Wine loads its own builtin DLLs even when a DLL of the same name lies beside the program,
// so these programs get the load order "native,builtin" for the planted names, which makes
// Wine search as Windows does. It is set under HKCU\Software\Wine\AppDefaults\<exe>\
// DllOverrides: Wine 8 reads WINEDLLOVERRIDES from the Unix environment only, so the variable
// in a CreateProcess environment block does not reach the imports of the started program.
// A control program that imports the same DLLs the ordinary way shows that the plant is
// loaded in that set-up: without it, "no marker" would prove nothing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "res/resource.h"

namespace {

// winspool.drv and comctl32.dll are the wizard's own; compstui.dll (loaded by the spooler
// client) and uxtheme.dll (loaded by the window manager) are loaded for it after its start.
// Not version.dll, which the installation delay-loads like winspool.drv: Wine's user32 and
// advapi32 import it, so Wine loads it (a planted copy too, with "native,builtin") before any
// code of the program runs, where Windows' known-DLL user32 and advapi32 do not. Its delay-load
// path is exercised by dll_search_probe's "delayload" mode; tests/release/check-release.sh shows
// that the release imports it through the delay-load table only.
const char* const kPlantedDlls[] = {"winspool.drv", "comctl32.dll", "compstui.dll", "uxtheme.dll"};
// A name that is nowhere in the system: only the current folder has it.
const char kCurrentFolderOnlyDll[] = "plantprobe.dll";
const char* const kPrograms[] = {"PrinterSetup.exe", "plant_control.exe", "dll_search_probe.exe"};

// Gives (or, with an empty order, takes back) Wine's load order for these DLLs in one program.
void SetDllLoadOrderFor(const std::string& exeName, const char* order)
{
    std::string keyPath = "Software\\Wine\\AppDefaults\\" + exeName + "\\DllOverrides";
    if (!*order) {
        RegDeleteKeyA(HKEY_CURRENT_USER, keyPath.c_str());
        return;
    }
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &key, nullptr));
    std::vector<std::string> names(std::begin(kPlantedDlls), std::end(kPlantedDlls));
    names.push_back(kCurrentFolderOnlyDll);
    for (std::string name : names) {
        // Wine names a ".dll" without its extension, other kinds (".drv") with it.
        if (name.size() > 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".dll") == 0)
            name.resize(name.size() - 4);
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                                                static_cast<DWORD>(lstrlenA(order) + 1)));
    }
    RegCloseKey(key);
}

std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool HasMarkerFor(const std::vector<std::string>& markers, const std::string& dll)
{
    for (const std::string& marker : markers) {
        if (lstrcmpiA(marker.c_str(), (dll + ".loaded").c_str()) == 0)
            return true;
    }
    return false;
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "(none)" : text;
}

// The program's folder and a different current folder, both a copy of the sample package
// (the wizard finds its package from the current folder) with the DLLs planted in them.
class DllPlanting : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* program : kPrograms)
            SetDllLoadOrderFor(program, "native,builtin");
        m_programFolder = MakeTempDir("plant-program");
        m_currentFolder = MakeTempDir("plant-current");
        ASSERT_TRUE(CopyTree(SamplePackageDir(), m_programFolder));
        ASSERT_TRUE(CopyTree(SamplePackageDir(), m_currentFolder));
        std::string planted = TestProgramDir() + "\\planted.dll";
        for (const char* name : kPlantedDlls) {
            ASSERT_TRUE(CopyFileA(planted.c_str(), (m_programFolder + "\\" + name).c_str(), FALSE)) << name;
            ASSERT_TRUE(CopyFileA(planted.c_str(), (m_currentFolder + "\\" + name).c_str(), FALSE)) << name;
        }
        ASSERT_TRUE(CopyFileA(planted.c_str(), (m_currentFolder + "\\" + kCurrentFolderOnlyDll).c_str(), FALSE));
        for (const char* tool : {"plant_control.exe", "dll_search_probe.exe"})
            ASSERT_TRUE(CopyFileA((TestProgramDir() + "\\" + tool).c_str(), (m_programFolder + "\\" + tool).c_str(),
                                  FALSE))
                << tool;
    }

    void TearDown() override
    {
        for (const char* program : kPrograms)
            SetDllLoadOrderFor(program, "");
    }

    bool Start(const std::string& exe, const std::string& arguments, StartedProgram& program)
    {
        return StartProgram(m_programFolder + "\\" + exe, arguments, m_currentFolder, program);
    }
    // Runs a program that ends by itself; answers its exit code.
    DWORD Run(const std::string& exe, const std::string& arguments)
    {
        StartedProgram program;
        if (!Start(exe, arguments, program))
            return STILL_ACTIVE;
        return program.WaitForExit();
    }

    std::vector<std::string> ProgramFolderMarkers() { return FilesMatching(m_programFolder, "*.loaded"); }
    std::vector<std::string> CurrentFolderMarkers() { return FilesMatching(m_currentFolder, "*.loaded"); }

    std::string m_programFolder;
    std::string m_currentFolder;
};

TEST_F(DllPlanting, AnOrdinaryProgramLoadsThePlantedCopies)
{
    // The two that PrinterSetup.exe uses come through the import table, the others by name.
    EXPECT_EQ(0u, Run("plant_control.exe", "compstui.dll uxtheme.dll"));
    std::vector<std::string> markers = ProgramFolderMarkers();
    for (const char* name : kPlantedDlls)
        EXPECT_TRUE(HasMarkerFor(markers, name)) << name << " was not loaded from beside the program; markers: "
                                                 << Joined(markers);
    // A DLL the system lacks is found in the current folder by the ordinary search.
    EXPECT_EQ(1u, Run("dll_search_probe.exe", std::string("none ") + kCurrentFolderOnlyDll));
    EXPECT_TRUE(HasMarkerFor(CurrentFolderMarkers(), kCurrentFolderOnlyDll)) << Joined(CurrentFolderMarkers());
}

TEST_F(DllPlanting, TheWizardLoadsNoneThroughAWholeInstallation)
{
    StartedProgram program;
    ASSERT_TRUE(Start("PrinterSetup.exe", "", program));
    WizardWalk walk = WalkToPortPage(program);
    ASSERT_NE(nullptr, walk.os);
    ASSERT_NE(nullptr, walk.settings);
    HWND portPage = walk.port;
    ASSERT_NE(nullptr, portPage);
    // The spooler is really in use: the port list comes from EnumPortsW.
    HWND list = GetDlgItem(portPage, IDC_PP_PORT_LIST);
    EXPECT_GT(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    ClickButton(portPage, IDC_PP_INSTALL);
    HWND done = WaitForTopWindow(kMessageCaption, program.pid);
    ASSERT_NE(nullptr, done) << "no message after the installation";
    EXPECT_EQ("Completed!", AllStaticTexts(done));
    ClickButton(done, IDOK);
    EXPECT_EQ(0u, program.WaitForExit());

    EXPECT_EQ("(none)", Joined(ProgramFolderMarkers())) << "planted beside the program";
    EXPECT_EQ("(none)", Joined(CurrentFolderMarkers())) << "planted in the current folder";
}

// The start-up's restriction, in a process of its own (tools/dll-search-probe.cpp).
TEST_F(DllPlanting, AfterTheRestrictionNeitherFolderIsSearched)
{
    EXPECT_EQ(0u, Run("dll_search_probe.exe", std::string("restrict ") + kCurrentFolderOnlyDll));
    EXPECT_EQ(1u, Run("dll_search_probe.exe", "restrict winspool.drv")) << "the system's copy is still found";
    EXPECT_EQ("(none)", Joined(ProgramFolderMarkers()));
    EXPECT_EQ("(none)", Joined(CurrentFolderMarkers()));
}

// A system without SetDefaultDllDirectories still searches the program's folder first; the
// delay-load hook loads winspool.drv by its full path in the system directory all the same,
// and that copy's own imports (compstui, comctl32) follow it there. What system DLLs load
// later by name (Wine's user32 loads uxtheme.dll) takes the ordinary search on such a system:
// only the restriction, where the system has it, covers that.
TEST_F(DllPlanting, TheDelayLoadedSpoolerComesFromTheSystemDirectoryEvenWithoutTheRestriction)
{
    EXPECT_EQ(1u, Run("dll_search_probe.exe", "none winspool.drv"));
    ASSERT_TRUE(HasMarkerFor(ProgramFolderMarkers(), "winspool.drv")) << "the plain search takes the planted copy";
    for (const std::string& marker : ProgramFolderMarkers())
        ASSERT_TRUE(DeleteFileA((m_programFolder + "\\" + marker).c_str()));

    EXPECT_EQ(0u, Run("dll_search_probe.exe", "delayload")) << "winspool.drv did not come from the system directory";
    std::vector<std::string> markers = ProgramFolderMarkers();
    for (const char* name : {"winspool.drv", "compstui.dll", "comctl32.dll"})
        EXPECT_FALSE(HasMarkerFor(markers, name)) << name;
}

// A DLL or function the system lacks ends the program with a message that names it, not with
// the delay-load helper's unhandled exception.
TEST_F(DllPlanting, AMissingSystemDllOrFunctionIsNamedInAMessage)
{
    struct Case {
        const char* mode;
        const wchar_t* named;
    } cases[] = {{"missing-dll", L"nosuch.dll"}, {"missing-function", L"NoSuchSpoolerFunction"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        StartedProgram probe;
        ASSERT_TRUE(Start("dll_search_probe.exe", c.mode, probe));
        HWND message = WaitForTopWindow("dll_search_probe", probe.pid);
        ASSERT_NE(nullptr, message) << "no message";
        EXPECT_NE(std::wstring::npos, AllStaticTextsW(message).find(c.named));
        ClickButton(message, IDOK);
        EXPECT_EQ(1u, probe.WaitForExit());
    }
}

}  // namespace
