// What the release program carries besides its code: the manifest that asks for administrator
// rights (and, by leaving out a compatibility section, keeps the version report the OS page is
// built on) and the version resource. Checked on the built PrinterSetup.exe and on a started one.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "res/resource.h"

namespace {

std::string ProgramPath()
{
    return SamplePackageDir() + "\\PrinterSetup.exe";
}

std::string ManifestOf(const std::string& exe)
{
    HMODULE image = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image)
        return std::string();
    std::string text;
    // Resource 1 of type RT_MANIFEST (24): the manifest the loader reads at process start.
    HRSRC resource = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (resource) {
        HGLOBAL loaded = LoadResource(image, resource);
        const char* data = static_cast<const char*>(LockResource(loaded));
        if (data)
            text.assign(data, SizeofResource(image, resource));
    }
    FreeLibrary(image);
    return text;
}

// The manifest's elements, without its comments (which may name what it leaves out).
std::string WithoutComments(std::string xml)
{
    for (size_t start; (start = xml.find("<!--")) != std::string::npos;) {
        size_t end = xml.find("-->", start);
        xml.erase(start, end == std::string::npos ? std::string::npos : end + 3 - start);
    }
    return xml;
}

struct VersionInfo {
    std::vector<BYTE> block;

    bool Read(const std::string& exe)
    {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
        if (size == 0)
            return false;
        block.resize(size);
        return GetFileVersionInfoA(exe.c_str(), 0, size, block.data()) != FALSE;
    }
    const VS_FIXEDFILEINFO* Fixed()
    {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }
    std::wstring String(const wchar_t* name)
    {
        std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0)
            return std::wstring();
        return static_cast<const wchar_t*>(value);
    }
};

TEST(ReleaseProgram, ManifestAsksForAdministratorRightsAndNothingThatChangesTheVersionReport)
{
    std::string manifest = WithoutComments(ManifestOf(ProgramPath()));
    ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST resource 1";
    EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\""));
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\""));
    // A compatibility section (supportedOS) would make Windows 8.1 and 10 report their real
    // versions, which the OS page has no button for.
    EXPECT_EQ(std::string::npos, manifest.find("<compatibility"));
    EXPECT_EQ(std::string::npos, manifest.find("supportedOS"));
    // Common Controls 6 would restyle templates laid out for the classic controls.
    EXPECT_EQ(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
}

TEST(ReleaseProgram, VersionResourceIsReadableAndAgreesWithTheManifest)
{
    VersionInfo info;
    ASSERT_TRUE(info.Read(ProgramPath())) << GetLastError();
    const VS_FIXEDFILEINFO* fixed = info.Fixed();
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    EXPECT_EQ(MAKELONG(0, 4), fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);

    EXPECT_EQ(L"4.0.0.0", info.String(L"FileVersion"));
    EXPECT_EQ(L"PrinterSetup.exe", info.String(L"OriginalFilename"));
    // The Chinese texts survive as UTF-16 (the .rc is UTF-8, compiled with -c 65001).
    EXPECT_EQ(Utf16("58 毫米票据打印机驱动安装程序"), info.String(L"FileDescription"));
    EXPECT_FALSE(info.String(L"ProductName").empty());
    EXPECT_FALSE(info.String(L"CompanyName").empty());

    void* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.block.data(), "\\VarFileInfo\\Translation", &translation, &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(0x0804, static_cast<const WORD*>(translation)[0]);
    EXPECT_EQ(1200, static_cast<const WORD*>(translation)[1]);

    // One version in two places: the manifest's assembly identity says the same.
    EXPECT_NE(std::string::npos, ManifestOf(ProgramPath()).find("version=\"4.0.0.0\""));
}

// The OS page's answer for every version Wine can report, now that the program carries a
// manifest: Windows 8, 8.1 and 10 all report 6.2 to it and get the "Windows 8 / Windows 10"
// button, as they would without one (a supportedOS entry would make 8.1 and 10 report 6.3 and
// 10.0, which Wine imitates). It also shows that requireAdministrator does not keep Wine from
// starting the program through CreateProcess (Wine 8 gives every process the full token and
// does not check the requested level; Windows would refuse an unelevated CreateProcess with
// ERROR_ELEVATION_REQUIRED, and Explorer's ShellExecute asks for consent instead).
TEST(ReleaseProgram, ManifestKeepsTheOsPageAnswerForEveryReportedVersion)
{
    struct Case {
        const char* wineVersion;
        int radio;
    } cases[] = {
        {"win2003", IDC_OS_RADIO_2003}, {"win2008", IDC_OS_RADIO_VISTA}, {"win2008r2", IDC_OS_RADIO_7},
        {"win8", IDC_OS_RADIO_8_10},    {"win81", IDC_OS_RADIO_8_10},    {"win10", IDC_OS_RADIO_8_10},
    };
    std::string folder = MakeTempDir("manifestos");
    ASSERT_TRUE(CopyTree(SamplePackageDir(), folder));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wineVersion);
        SetWineVersionFor("PrinterSetup.exe", c.wineVersion);
        StartedProgram program;
        ASSERT_TRUE(StartProgram(folder + "\\PrinterSetup.exe", "", folder, program));
        HWND page = WaitForTopWindow(kOsCaption, program.pid);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(page, c.radio), BM_GETCHECK, 0, 0));
        ClickButton(page, IDC_OS_EXIT);
        EXPECT_EQ(0u, program.WaitForExit());
    }
    SetWineVersionFor("PrinterSetup.exe", "");
}

}  // namespace
