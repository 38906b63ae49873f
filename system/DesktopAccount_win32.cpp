#include <windows.h>
#include <sddl.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <string>

#include "system/DesktopAccount_win32.h"
#include "system/SystemLibrary_win32.h"

namespace {

std::string SidText(PSID sid)
{
    char* text = nullptr;
    if (sid == nullptr || !ConvertSidToStringSidA(sid, &text))
        return std::string();
    std::string result = text;
    LocalFree(text);
    return result;
}

// The user SID of a process's token. An elevated administrator may open another user's
// process for this where its token DACL allows it; WTS answers without that (below).
bool TokenAccount(HANDLE process, std::string& sid)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    bool ok = size != 0 && GetTokenInformation(token, TokenUser, &buffer[0], size, &size);
    if (ok)
        sid = SidText(reinterpret_cast<TOKEN_USER*>(&buffer[0])->User.Sid);
    CloseHandle(token);
    return ok && !sid.empty();
}

bool ProcessIdAccount(DWORD processId, std::string& sid)
{
    // PROCESS_QUERY_LIMITED_INFORMATION (Vista) reaches more processes; 2000 and XP know only
    // the full right.
    HANDLE process = OpenProcess(0x1000, FALSE, processId);
    if (process == nullptr)
        process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return false;
    bool ok = TokenAccount(process, sid);
    CloseHandle(process);
    return ok;
}

// The session at the physical console (XP and later); 2000 has only session 0 there.
DWORD ConsoleSession()
{
    auto function = KernelFunctionAs<DWORD(WINAPI*)()>("WTSGetActiveConsoleSessionId");
    return function != nullptr ? function() : 0;
}

DWORD SessionOf(DWORD processId)
{
    auto function = KernelFunctionAs<BOOL(WINAPI*)(DWORD, DWORD*)>("ProcessIdToSessionId");
    DWORD session = 0;
    return function != nullptr && function(processId, &session) ? session : 0;
}

// The shell's process: the owner of the shell window on our desktop, or else (a service in
// session 0 has no shell window) Explorer in the console session.
DWORD ShellProcessId()
{
    DWORD processId = 0;
    if (HWND shell = GetShellWindow())
        GetWindowThreadProcessId(shell, &processId);
    if (processId != 0)
        return processId;
    const DWORD console = ConsoleSession();
    if (console == 0xFFFFFFFF)  // the console is between sessions: no one is there
        return 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"explorer.exe") == 0 && SessionOf(entry.th32ProcessID) == console) {
            processId = entry.th32ProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return processId;
}

// WTSEnumerateProcessesW gives each process's user SID to an administrator without opening
// the process's token.
bool WtsAccount(DWORD processId, std::string& sid)
{
    // wtsapi32.dll is not a known DLL, and not imported: 2000 may lack Terminal Services.
    HMODULE wts = LoadSystemLibrary(L"wtsapi32.dll");
    if (wts == nullptr)
        return false;
    using Enumerate = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, WTS_PROCESS_INFOW**, DWORD*);
    using Free = void(WINAPI*)(void*);
    auto enumerate = reinterpret_cast<Enumerate>(reinterpret_cast<void*>(GetProcAddress(wts, "WTSEnumerateProcessesW")));
    auto free = reinterpret_cast<Free>(reinterpret_cast<void*>(GetProcAddress(wts, "WTSFreeMemory")));
    WTS_PROCESS_INFOW* processes = nullptr;
    DWORD count = 0;
    bool found = false;
    if (enumerate != nullptr && free != nullptr && enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &processes, &count)) {
        for (DWORD i = 0; i < count && !found; ++i)
            if (processes[i].ProcessId == processId && processes[i].pUserSid != nullptr) {
                sid = SidText(processes[i].pUserSid);
                found = !sid.empty();
            }
        free(processes);
    }
    FreeLibrary(wts);
    return found;
}

}  // namespace

bool Win32AccountQuery::ProcessAccount(std::string& sid)
{
    return TokenAccount(GetCurrentProcess(), sid);
}

bool Win32AccountQuery::DesktopShellAccount(std::string& sid)
{
    const DWORD processId = ShellProcessId();
    if (processId == 0)
        return false;
    return ProcessIdAccount(processId, sid) || WtsAccount(processId, sid);
}

bool ProcessRunsElevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    // TOKEN_INFORMATION_CLASS 20, TokenElevation: the headers of a Windows 2000 build leave it
    // out, and Windows before Vista refuses the class.
    const auto kTokenElevation = static_cast<TOKEN_INFORMATION_CLASS>(20);
    DWORD elevated = 0, size = 0;
    const bool answered = GetTokenInformation(token, kTokenElevation, &elevated, sizeof(elevated), &size) != FALSE;
    CloseHandle(token);
    return answered && elevated != 0;
}
