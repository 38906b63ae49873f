#include <windows.h>

#include <cstring>
#include <string>

#include "system/HostArchitecture.h"
#include "system/PrintPolicies_win32.h"
#include "system/RegistryDword_win32.h"
#include "system/SystemLibrary_win32.h"

namespace {

// The policies are machine settings of the 64-bit system: a 32-bit program on 64-bit Windows
// asks for that view. On a 32-bit Windows the flag is not passed at all, so that Windows 2000,
// which predates it, never sees it.
REGSAM MachineView(REGSAM access)
{
    return CurrentHostArchitecture() == HostArchitecture::X86 ? access : access | KEY_WOW64_64KEY;
}

std::wstring WideAscii(const char* text)
{
    return std::wstring(text, text + std::strlen(text));
}

// IWindowsProtectedPrintInfoStatics, from the Windows SDK's metadata
// (windows.graphics.printing.protectedprint.h): IInspectable's six methods, then the property.
const GUID kProtectedPrintInfoStaticsId = {
    0xa7d212f3, 0x4168, 0x5485, {0x98, 0xab, 0xd8, 0x9d, 0x04, 0x60, 0x3b, 0x40}};
const wchar_t kProtectedPrintInfoClass[] = L"Windows.Graphics.Printing.ProtectedPrint.WindowsProtectedPrintInfo";

struct ProtectedPrintInfoStatics;
struct ProtectedPrintInfoStaticsTable {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(ProtectedPrintInfoStatics*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* AddRef)(ProtectedPrintInfoStatics*);
    ULONG(STDMETHODCALLTYPE* Release)(ProtectedPrintInfoStatics*);
    void* GetIids;
    void* GetRuntimeClassName;
    void* GetTrustLevel;
    HRESULT(STDMETHODCALLTYPE* get_IsProtectedPrintEnabled)(ProtectedPrintInfoStatics*, unsigned char*);
};
struct ProtectedPrintInfoStatics {
    const ProtectedPrintInfoStaticsTable* table;
};

using StringHandle = void*;  // HSTRING
using RoInitializeFunction = HRESULT(WINAPI*)(int);
using RoUninitializeFunction = void(WINAPI*)();
using RoGetActivationFactoryFunction = HRESULT(WINAPI*)(StringHandle, REFIID, void**);
using WindowsCreateStringFunction = HRESULT(WINAPI*)(const wchar_t*, UINT32, StringHandle*);
using WindowsDeleteStringFunction = HRESULT(WINAPI*)(StringHandle);

constexpr int kRoInitMultithreaded = 1;
constexpr HRESULT kChangedMode = static_cast<HRESULT>(0x80010106L);  // RPC_E_CHANGED_MODE

ProtectedPrintApiAnswer AskProtectedPrintInfo(HMODULE combase)
{
    auto initialize = reinterpret_cast<RoInitializeFunction>(
        reinterpret_cast<void*>(GetProcAddress(combase, "RoInitialize")));
    auto uninitialize = reinterpret_cast<RoUninitializeFunction>(
        reinterpret_cast<void*>(GetProcAddress(combase, "RoUninitialize")));
    auto activationFactory = reinterpret_cast<RoGetActivationFactoryFunction>(
        reinterpret_cast<void*>(GetProcAddress(combase, "RoGetActivationFactory")));
    auto createString = reinterpret_cast<WindowsCreateStringFunction>(
        reinterpret_cast<void*>(GetProcAddress(combase, "WindowsCreateString")));
    auto deleteString = reinterpret_cast<WindowsDeleteStringFunction>(
        reinterpret_cast<void*>(GetProcAddress(combase, "WindowsDeleteString")));
    if (!initialize || !uninitialize || !activationFactory || !createString || !deleteString)
        return ProtectedPrintApiAnswer::Unavailable;
    // A thread that runs COM in the other model already can still activate the class.
    const HRESULT initialized = initialize(kRoInitMultithreaded);
    if (FAILED(initialized) && initialized != kChangedMode)
        return ProtectedPrintApiAnswer::Unavailable;
    ProtectedPrintApiAnswer answer = ProtectedPrintApiAnswer::Unavailable;
    StringHandle className = nullptr;
    if (SUCCEEDED(createString(kProtectedPrintInfoClass, lstrlenW(kProtectedPrintInfoClass), &className))) {
        ProtectedPrintInfoStatics* statics = nullptr;
        if (SUCCEEDED(activationFactory(className, kProtectedPrintInfoStaticsId, reinterpret_cast<void**>(&statics))) &&
            statics != nullptr) {
            unsigned char enabled = 0;
            if (SUCCEEDED(statics->table->get_IsProtectedPrintEnabled(statics, &enabled)))
                answer = enabled ? ProtectedPrintApiAnswer::On : ProtectedPrintApiAnswer::Off;
            statics->table->Release(statics);
        }
        deleteString(className);
    }
    if (SUCCEEDED(initialized))
        uninitialize();
    return answer;
}

}  // namespace

RegistryDword Win32PrintPolicySource::MachineValue(const char* keyPath, const char* valueName)
{
    RegistryDword value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, MachineView(KEY_QUERY_VALUE), &key) != ERROR_SUCCESS)
        return value;
    // A value that cannot be read decides nothing, like one that is not there.
    if (QueryRegistryDword(key, WideAscii(valueName).c_str(), value) != 0)
        value = RegistryDword();
    RegCloseKey(key);
    return value;
}

int32_t Win32PrintPolicySource::MachineKeyValueCount(const char* keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, MachineView(KEY_QUERY_VALUE), &key) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? static_cast<int32_t>(values) : 0;
}

WindowsVersion Win32PrintPolicySource::Version()
{
    // RtlGetVersion answers the kernel's own version, whatever the manifest says; ntdll is in
    // every process.
    struct VersionRecord {
        ULONG size, major, minor, build, platform;
        WCHAR servicePack[128];
    } record = {};
    record.size = sizeof(record);
    using RtlGetVersionFunction = LONG(WINAPI*)(VersionRecord*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto getVersion = ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                                  reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                            : nullptr;
    WindowsVersion version;
    if (getVersion != nullptr && getVersion(&record) == 0) {
        version.major = record.major;
        version.minor = record.minor;
        version.build = record.build;
        return version;
    }
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExA(&info)) {
#pragma GCC diagnostic pop
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.build = info.dwBuildNumber & 0xFFFF;
    }
    return version;
}

ProtectedPrintApiAnswer Win32PrintPolicySource::ProtectedPrintApi()
{
    // combase.dll (Windows 8 and later) is loaded at run time, never imported: Windows 2000 to 7
    // must still start the program.
    HMODULE combase = LoadSystemLibrary(L"combase.dll");
    if (combase == nullptr)
        return ProtectedPrintApiAnswer::Unavailable;
    const ProtectedPrintApiAnswer answer = AskProtectedPrintInfo(combase);
    FreeLibrary(combase);
    return answer;
}

PrintPolicies CurrentPrintPolicies()
{
    Win32PrintPolicySource source;
    return ReadPrintPolicies(source);
}
