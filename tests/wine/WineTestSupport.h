// Helpers for the tests that run under Wine: they drive real dialogs the way a person
// does, from a second thread or from outside the program's process.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CDialog;

// The folder of wine_tests.exe, and the sample driver package the build lays out beside it
// (or the one WIZARD_PACKAGE_DIR names).
std::string TestProgramDir();
std::string SamplePackageDir();
// A path the environment variable `name` gives (a Unix path through drive Z:), or `otherwise`.
std::string PathFromEnvironment(const char* name, const std::string& otherwise);
// A new empty folder under the Windows temporary folder.
std::string MakeTempDir(const char* prefix);
// Copies a folder tree (files and subfolders).
bool CopyTree(const std::string& from, const std::string& to);
bool FileExists(const std::string& path);
std::string ReadFileText(const std::string& path);
// The same for a path that the code page may not hold.
std::string ReadFileText(const std::wstring& path);
// The same also where the path is longer than MAX_PATH, which the ANSI functions (and
// ReadFileText) do not reach: through the Unicode function and the "\\?\" prefix.
std::string ReadLongPath(const std::string& ansiPath);

// Makes folders current and, when destroyed, makes current again the folder that was current
// when it was made: a test that works in a package's folder leaves the directory as it found it.
class CurrentDirectoryRestorer {
public:
    CurrentDirectoryRestorer();
    ~CurrentDirectoryRestorer();
    CurrentDirectoryRestorer(const CurrentDirectoryRestorer&) = delete;
    CurrentDirectoryRestorer& operator=(const CurrentDirectoryRestorer&) = delete;
    bool Enter(const std::string& folder);

private:
    std::string m_previous;
};

// Polls `condition` every 20 ms until it holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// A visible top-level window with this caption, of process `pid` (0: any process).
HWND FindTopWindow(const std::string& caption, DWORD pid = 0);
HWND WaitForTopWindow(const std::string& caption, DWORD pid = 0, int timeoutMs = 10000);
// The same for a caption in any script (the ANSI form depends on the code page).
HWND WaitForTopWindowW(const std::wstring& caption, int timeoutMs = 10000);
// A report-view list view's texts and selected rows, read with its own messages.
std::string ListItemText(HWND list, int row, int column);
std::vector<std::string> ListColumnTexts(HWND list, int column);
std::vector<int> ListSelectedRows(HWND list);

// The texts of a window and of a control.
std::string WindowText(HWND hwnd);
std::string ControlText(HWND dialog, int id);
// All static texts of a window (a message box's message among them).
std::string AllStaticTexts(HWND window);
// The same read in Unicode, so that texts beyond the code page survive.
std::wstring AllStaticTextsW(HWND window);
// A UTF-8 literal (the source files' encoding) as UTF-16.
std::wstring Utf16(const char* utf8);
// A window's class name.
std::string ClassOf(HWND hwnd);
// The control with the keyboard focus in the thread of `dialog`.
HWND FocusOf(HWND dialog);
bool IsChecked(HWND dialog, int id);

// A click on a push button (also a hidden one) as the dialog manager delivers it.
void ClickButton(HWND dialog, int id);
// Keys as a person presses them in a dialog: Enter or Esc.
void PressKey(HWND dialog, WPARAM virtualKey);

// Runs dialog.DoModal() on this thread while `drive` runs on a second thread with the
// dialog's window (found by caption among this thread's windows). When `drive` returns and
// the dialog is still open after 10 s, it is sent WM_CLOSE (ending with its own cancel code)
// so that a failing test cannot hang.
INT_PTR RunModalWithDriver(CDialog& dialog, const std::string& caption, const std::function<void(HWND)>& drive);

// A started program.
struct StartedProgram {
    HANDLE process = nullptr;
    DWORD pid = 0;
    // Waits for the exit; answers the exit code, or STILL_ACTIVE after the timeout (then kills it).
    DWORD WaitForExit(int timeoutMs = 30000);
    ~StartedProgram();
};
// Starts `exe` with `arguments` in `directory`.
bool StartProgram(const std::string& exe, const std::string& arguments, const std::string& directory,
                  StartedProgram& started);

// The wizard's page captions, and that of its message boxes: the program file's name, as it
// defines no title of its own.
extern const char kOsCaption[];
extern const char kSettingsCaption[];
extern const char kPortCaption[];
extern const char kMessageCaption[];

// The pages of a started wizard, walked the way a person goes to install: the OS page's
// "Install Printer Driver" to the settings page, and its Next to the port page. A page that
// did not come up is null, as is every page after it.
struct WizardWalk {
    HWND os = nullptr;
    HWND settings = nullptr;
    HWND port = nullptr;
};
WizardWalk WalkToSettingsPage(const StartedProgram& program);
WizardWalk WalkToPortPage(const StartedProgram& program);

// Makes Wine report another Windows version to programs named `exeName`, as a real system
// of that version would: "winxp64", "vista", "win7", "win10", ... (an empty name removes it).
void SetWineVersionFor(const std::string& exeName, const std::string& version);

// Sets the Spooler service's start type (SERVICE_NO_CHANGE: none) and brings it to `state`
// (SERVICE_STOPPED, SERVICE_RUNNING; 0: as it is).
bool SetSpoolerService(DWORD startType, DWORD state = 0);

// While it lives: the program named `exeName` runs without Wine's spooler (its in-process
// localspl is disabled for it, so every spooler call fails as on a Windows whose Spooler service
// is not running), and the Spooler service is stopped with the start type `startType`
// (SERVICE_DISABLED, SERVICE_DEMAND_START). Both are put back afterwards.
class SpoolerTakenAway {
public:
    SpoolerTakenAway(const std::string& exeName, DWORD startType);
    ~SpoolerTakenAway();
    SpoolerTakenAway(const SpoolerTakenAway&) = delete;
    SpoolerTakenAway& operator=(const SpoolerTakenAway&) = delete;
    bool Ready() const { return m_ready; }
    // The service's start type and state (SERVICE_STOPPED, SERVICE_RUNNING, ...) now.
    static bool ServiceNow(DWORD& startType, DWORD& state);

private:
    std::string m_overrideKey;
    DWORD m_startType = SERVICE_DEMAND_START;
    bool m_ready = false;
};

// Collects the texts that the creating thread writes with OutputDebugStringA while it lives:
// Windows raises DBG_PRINTEXCEPTION_C for each, which a vectored handler sees first (the
// texts still reach the debug output). One capture at a time.
class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;
    std::vector<std::string> Texts() const;
    void Clear();

private:
    static LONG CALLBACK Handler(EXCEPTION_POINTERS* info);
    static DebugOutputCapture* s_active;
    DWORD m_thread;
    void* m_handler;
    mutable CRITICAL_SECTION m_lock;
    std::vector<std::string> m_texts;
};
