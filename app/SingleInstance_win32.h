// One copy at a time: two wizards (or unattended runs) at once would copy the same driver
// files and register the same driver and printer in an order nobody chose.
#pragma once
#include <windows.h>

// Windows Installer's code for "another installation is already in progress", which
// deployment tools understand: they retry later.
constexpr int kExitAlreadyRunning = 1618;

class SingleInstance {
public:
    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    // The name stays taken until this process ends (the system closes the handle then,
    // also after a crash, so a dead copy never blocks the next one).
    ~SingleInstance();

    // Takes the machine-wide name; false when another copy of the program holds it.
    bool Acquire();

private:
    HANDLE m_mutex = nullptr;
};

// The message of a second copy, in Unicode: it reads right on a system of any code page.
void ShowAlreadyRunning();
