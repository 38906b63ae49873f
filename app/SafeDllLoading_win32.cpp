#include "app/SafeDllLoading_win32.h"

#include <delayimp.h>

#include <string>

#include "system/SystemLibrary_win32.h"
#include "system/TextConversion_win32.h"
#include "win/Messages_win32.h"
#include "system/DecimalText.h"

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryWFn = BOOL(WINAPI*)(LPCWSTR);

[[noreturn]] void ReportAndExit(const std::wstring& what, DWORD error)
{
    ShowMessage(what + L"\r\n" + Win32ErrorText(error));
    ExitProcess(1);
}

FARPROC WINAPI DelayLoadNotify(unsigned notification, PDelayLoadInfo info)
{
    if (notification != dliNotePreLoadLibrary)
        return nullptr;
    HMODULE module = LoadSystemLibrary(WidenAnsi(info->szDll).c_str());
    // Returning null would let the helper fall back to LoadLibraryA, which searches the
    // program's folder first on a system without SetDefaultDllDirectories.
    if (!module)
        ReportAndExit(FromUtf8("无法从系统目录加载 ") + WidenAnsi(info->szDll) + L":", GetLastError());
    return reinterpret_cast<FARPROC>(module);
}

FARPROC WINAPI DelayLoadFailure(unsigned notification, PDelayLoadInfo info)
{
    if (notification == dliFailGetProc) {
        std::wstring function = info->dlp.fImportByName ? WidenAnsi(info->dlp.szProcName)
                                                        : L"#" + DecimalText(info->dlp.dwOrdinal);
        ReportAndExit(WidenAnsi(info->szDll) + FromUtf8(" 缺少函数 ") + function + L":", info->dwLastError);
    }
    if (notification == dliFailLoadLib)
        ReportAndExit(FromUtf8("无法从系统目录加载 ") + WidenAnsi(info->szDll) + L":", info->dwLastError);
    return nullptr;
}

}  // namespace

// The mingw-w64 delay-load helper calls these; defining them here replaces its null defaults.
PfnDliHook __pfnDliNotifyHook2 = DelayLoadNotify;
PfnDliHook __pfnDliFailureHook2 = DelayLoadFailure;

DllSearch RestrictDllSearchToSystemDirectory()
{
    // Windows 8 and later, and Windows Vista / 7 with update KB2533623.
    auto setDefault = KernelFunctionAs<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return DllSearch::SystemDirectoryOnly;
    // Windows XP SP1 and later: an empty string removes the current directory from the search.
    // The program's own folder stays first, which is why the delay-loaded DLLs are loaded
    // by their full path (DelayLoadNotify).
    auto setDllDirectory = KernelFunctionAs<SetDllDirectoryWFn>("SetDllDirectoryW");
    if (setDllDirectory && setDllDirectory(L""))
        return DllSearch::CurrentDirectoryRemoved;
    return DllSearch::Unchanged;
}
