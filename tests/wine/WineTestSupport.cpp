#include "WineTestSupport.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "win/Dialog.h"
#include "res/resource.h"

std::string TestProgramDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/"));
}

// A path the environment gives (a Unix one is read through Wine's drive Z:), or `otherwise`.
std::string PathFromEnvironment(const char* name, const std::string& otherwise)
{
    char given[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(name, given, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return otherwise;
    std::string path = given[0] == '/' ? std::string("Z:") + given : std::string(given);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string SamplePackageDir()
{
    // The 32-bit lane points the tests at the release build's package (its PrinterSetup.exe
    // is the file users run).
    return PathFromEnvironment("WIZARD_PACKAGE_DIR", TestProgramDir() + "\\package");
}

std::string MakeTempDir(const char* prefix)
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        std::string dir = std::string(base) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                          std::to_string(++counter);
        if (CreateDirectoryA(dir.c_str(), nullptr))
            return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
}

bool CopyTree(const std::string& from, const std::string& to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string source = from + "\\" + name, target = to + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(source, target) && ok;
        else
            ok = CopyFileA(source.c_str(), target.c_str(), FALSE) && ok;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// The whole content of an opened file (empty when it did not open); closes it.
std::string ReadAndClose(HANDLE file)
{
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

}  // namespace

std::string ReadFileText(const std::string& path)
{
    return ReadAndClose(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

std::string ReadFileText(const std::wstring& path)
{
    return ReadAndClose(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

std::string ReadLongPath(const std::string& ansiPath)
{
    wchar_t wide[1024] = {};
    MultiByteToWideChar(CP_ACP, 0, ansiPath.c_str(), -1, wide, 1024);
    return ReadAndClose(CreateFileW((std::wstring(L"\\\\?\\") + wide).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
}

CurrentDirectoryRestorer::CurrentDirectoryRestorer()
{
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    m_previous = folder;
}

CurrentDirectoryRestorer::~CurrentDirectoryRestorer()
{
    SetCurrentDirectoryA(m_previous.c_str());
}

bool CurrentDirectoryRestorer::Enter(const std::string& folder)
{
    return SetCurrentDirectoryA(folder.c_str()) != FALSE;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs)
            return false;
        Sleep(20);
    }
}

namespace {

struct WindowSearch {
    std::string caption;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (!IsWindowVisible(hwnd))
        return TRUE;
    if (search->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != search->pid)
            return TRUE;
    }
    if (WindowText(hwnd) != search->caption)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM param)
{
    char className[64] = {};
    GetClassNameA(hwnd, className, sizeof(className));
    if (lstrcmpiA(className, "Static") == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

// The texts of a window's static controls, each read with `read`, the empty ones left out.
template <typename Text>
Text JoinStaticTexts(HWND window, Text (*read)(HWND), const Text& separator)
{
    std::vector<HWND> statics;
    EnumChildWindows(window, &CollectStatic, reinterpret_cast<LPARAM>(&statics));
    Text texts;
    for (HWND control : statics) {
        Text text = read(control);
        if (text.empty())
            continue;
        if (!texts.empty())
            texts += separator;
        texts += text;
    }
    return texts;
}

std::wstring WideWindowText(HWND hwnd)
{
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd, text, 1024);
    return text;
}

}  // namespace

HWND FindTopWindow(const std::string& caption, DWORD pid)
{
    WindowSearch search{caption, pid, nullptr};
    EnumWindows(&MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(const std::string& caption, DWORD pid, int timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(caption, pid)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForTopWindowW(const std::wstring& caption, int timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindWindowW(nullptr, caption.c_str());
            return found != nullptr && IsWindowVisible(found);
        },
        timeoutMs);
    return found && IsWindowVisible(found) ? found : nullptr;
}

std::string ListItemText(HWND list, int row, int column)
{
    char text[1024] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> ListColumnTexts(HWND list, int column)
{
    std::vector<std::string> texts;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        texts.push_back(ListItemText(list, row, column));
    return texts;
}

std::vector<int> ListSelectedRows(HWND list)
{
    std::vector<int> rows;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        if (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) == LVIS_SELECTED)
            rows.push_back(row);
    return rows;
}

std::string WindowText(HWND hwnd)
{
    char text[1024] = {};
    // WM_GETTEXT through SendMessageTimeout so that a hung window cannot block the test.
    DWORD_PTR length = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &length);
    return text;
}

std::string ControlText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

std::string AllStaticTexts(HWND window)
{
    return JoinStaticTexts<std::string>(window, &WindowText, "\n");
}

std::wstring AllStaticTextsW(HWND window)
{
    return JoinStaticTexts<std::wstring>(window, &WideWindowText, L"\n");
}

std::wstring Utf16(const char* utf8)
{
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring text(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &text[0], length);
    return text;
}

std::string ClassOf(HWND hwnd)
{
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

HWND FocusOf(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

bool IsChecked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ClickButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressKey(HWND dialog, WPARAM virtualKey)
{
    // Sent to the control that has the focus, as the keyboard would: the dialog manager
    // turns Enter into a click of a focused push button, else into IDOK; Esc into IDCANCEL.
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
        target = info.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, virtualKey, 0);
    PostMessageA(target, WM_KEYUP, virtualKey, 0xC0000000);
}

namespace {

struct ThreadWindowSearch {
    std::string caption;
    HWND found;
};

BOOL CALLBACK MatchThreadWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<ThreadWindowSearch*>(param);
    if (IsWindowVisible(hwnd) && WindowText(hwnd) == search->caption) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct DriverContext {
    DWORD dialogThread;
    std::string caption;
    const std::function<void(HWND)>* drive;
};

DWORD WINAPI DriverThread(void* param)
{
    auto* context = static_cast<DriverContext*>(param);
    HWND dialog = nullptr;
    WaitUntil([&] {
        ThreadWindowSearch search{context->caption, nullptr};
        EnumThreadWindows(context->dialogThread, &MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
        dialog = search.found;
        return dialog != nullptr;
    });
    if (!dialog)
        return 1;
    (*context->drive)(dialog);
    // A test that failed half-way leaves the dialog open: close it rather than hang.
    if (!WaitUntil([&] { return !IsWindow(dialog); }, 10000))
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

INT_PTR RunModalWithDriver(CDialog& dialog, const std::string& caption, const std::function<void(HWND)>& drive)
{
    DriverContext context{GetCurrentThreadId(), caption, &drive};
    HANDLE thread = CreateThread(nullptr, 0, &DriverThread, &context, 0, nullptr);
    INT_PTR result = dialog.DoModal();
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);
    return result;
}

DWORD StartedProgram::WaitForExit(int timeoutMs)
{
    if (!process)
        return STILL_ACTIVE;
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 9999);
        WaitForSingleObject(process, 5000);
        return STILL_ACTIVE;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

StartedProgram::~StartedProgram()
{
    if (process) {
        if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
            TerminateProcess(process, 9999);
        CloseHandle(process);
    }
}

bool StartProgram(const std::string& exe, const std::string& arguments, const std::string& directory,
                  StartedProgram& started)
{
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    started.process = info.hProcess;
    started.pid = info.dwProcessId;
    return true;
}

const char kOsCaption[] = "Select OS (x86/x64)";
const char kSettingsCaption[] = "Detail Setting (x86/x64)";
const char kPortCaption[] = "Select Port (x86/x64)";
const char kMessageCaption[] = "PrinterSetup";

WizardWalk WalkToSettingsPage(const StartedProgram& program)
{
    WizardWalk walk;
    walk.os = WaitForTopWindow(kOsCaption, program.pid);
    if (!walk.os)
        return walk;
    ClickButton(walk.os, IDC_OS_INSTALL_DRIVER);
    walk.settings = WaitForTopWindow(kSettingsCaption, program.pid);
    return walk;
}

WizardWalk WalkToPortPage(const StartedProgram& program)
{
    WizardWalk walk = WalkToSettingsPage(program);
    if (!walk.settings)
        return walk;
    ClickButton(walk.settings, IDC_PS_NEXT);
    walk.port = WaitForTopWindow(kPortCaption, program.pid);
    return walk;
}

void SetWineVersionFor(const std::string& exeName, const std::string& version)
{
    std::string keyPath = "Software\\Wine\\AppDefaults\\" + exeName;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (version.empty())
        RegDeleteValueA(key, "Version");
    else
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>(version.size() + 1));
    RegCloseKey(key);
}

bool SetSpoolerService(DWORD startType, DWORD state)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr)
        return false;
    SC_HANDLE service =
        OpenServiceA(manager, "Spooler", SERVICE_CHANGE_CONFIG | SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
    bool done = service != nullptr &&
                ChangeServiceConfigA(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr);
    SERVICE_STATUS status = {};
    if (done && state != 0 && (done = QueryServiceStatus(service, &status)) && status.dwCurrentState != state) {
        state == SERVICE_RUNNING ? StartServiceA(service, 0, nullptr) : ControlService(service, SERVICE_CONTROL_STOP, &status);
        done = WaitUntil([&] { return QueryServiceStatus(service, &status) && status.dwCurrentState == state; });
    }
    if (service != nullptr)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return done;
}

bool SpoolerTakenAway::ServiceNow(DWORD& startType, DWORD& state)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr)
        return false;
    SC_HANDLE service = OpenServiceA(manager, "Spooler", SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    SERVICE_STATUS status = {};
    bool read = service != nullptr &&
                QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()),
                                    static_cast<DWORD>(buffer.size()), &needed) &&
                QueryServiceStatus(service, &status);
    if (read) {
        startType = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data())->dwStartType;
        state = status.dwCurrentState;
    }
    if (service != nullptr)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return read;
}

SpoolerTakenAway::SpoolerTakenAway(const std::string& exeName, DWORD startType)
    : m_overrideKey("Software\\Wine\\AppDefaults\\" + exeName + "\\DllOverrides")
{
    DWORD state = 0;
    if (!ServiceNow(m_startType, state))
        return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_overrideKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    // An empty load order: the DLL is not loaded at all.
    m_ready = RegSetValueExA(key, "localspl", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) == ERROR_SUCCESS;
    RegCloseKey(key);
    m_ready = m_ready && SetSpoolerService(startType, SERVICE_STOPPED);
}

SpoolerTakenAway::~SpoolerTakenAway()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_overrideKey.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "localspl");
        RegCloseKey(key);
    }
    SetSpoolerService(m_startType);
}

DebugOutputCapture* DebugOutputCapture::s_active = nullptr;

DebugOutputCapture::DebugOutputCapture() : m_thread(GetCurrentThreadId())
{
    InitializeCriticalSection(&m_lock);
    s_active = this;
    m_handler = AddVectoredExceptionHandler(1, &DebugOutputCapture::Handler);
}

DebugOutputCapture::~DebugOutputCapture()
{
    RemoveVectoredExceptionHandler(m_handler);
    s_active = nullptr;
    DeleteCriticalSection(&m_lock);
}

LONG CALLBACK DebugOutputCapture::Handler(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    DebugOutputCapture* capture = s_active;
    if (capture && record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2 &&
        GetCurrentThreadId() == capture->m_thread) {
        // Parameters: the length with the terminating NUL, and the text.
        size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        if (text && length > 0) {
            EnterCriticalSection(&capture->m_lock);
            capture->m_texts.emplace_back(text, length - 1);
            LeaveCriticalSection(&capture->m_lock);
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

std::vector<std::string> DebugOutputCapture::Texts() const
{
    EnterCriticalSection(&m_lock);
    std::vector<std::string> texts = m_texts;
    LeaveCriticalSection(&m_lock);
    return texts;
}

void DebugOutputCapture::Clear()
{
    EnterCriticalSection(&m_lock);
    m_texts.clear();
    LeaveCriticalSection(&m_lock);
}
