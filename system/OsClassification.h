// Classification of the running Windows version into the codes the pages use.
#pragma once
#include <cstdint>

enum OsKind : int32_t {
    kOsUnknown = 0,        // initial value; never assigned by the classifier
    kOsWindows95 = 1,
    kOsWindows98Me = 2,
    kOsWindowsNT4 = 3,     // NT 4.0 and older NT
    kOsWindows2000 = 4,    // also any platform other than 9x and NT
    kOsWindowsXP = 5,
    kOsWindows2003 = 6,
    kOsWindowsVista = 7,
    kOsWindows7 = 8,
    kOsWindows8Later = 9,  // an unmanifested program sees every later Windows as 6.2
};

// The running system's code; 0 until the first classification.
extern int32_t g_nOsKind;

constexpr uint32_t kPlatformWin32Windows = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformWin32NT = 2;       // VER_PLATFORM_WIN32_NT
constexpr uint32_t kVersionInfoExSize = 156;   // sizeof(OSVERSIONINFOEXA)
constexpr uint32_t kVersionInfoSize = 148;     // sizeof(OSVERSIONINFOA)

struct OsVersionReport {
    uint32_t platformId = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
};

// Where the version report comes from: GetVersionExA on Windows, a fake in tests.
class IVersionSource {
public:
    virtual ~IVersionSource() = default;
    // Asks for the report with a record of the given size; false when the system refuses.
    virtual bool Query(uint32_t recordSize, OsVersionReport& report) = 0;
};

// The code for one report; a report the table does not know keeps `previous`.
int32_t ClassifyVersionReport(const OsVersionReport& report, int32_t previous);

// Asks the source (extended record first, then the plain one) and updates g_nOsKind;
// when both queries fail, g_nOsKind stays as it was.
void ClassifyOsFrom(IVersionSource& source);

// True for the NT family (codes 3 to 9), where the wizard reports completion.
bool IsNtFamily(int32_t osKind);

// Win32 side (OsVersion_win32.cpp).
void ClassifyOs();
// True on a 64-bit Windows, x64 or ARM64 (HostArchitecture_win32.cpp); the installation and
// the USB launcher ask CurrentHostArchitecture() which one.
bool IsWow64Host();
