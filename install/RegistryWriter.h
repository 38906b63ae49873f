// The registry writes of the installation (and the reads they depend on): string values under keys of the current user,
// of another logged-on user (HKEY_USERS\<SID>) and of the machine. Every call answers 0 or
// the Windows error.
#pragma once
#include <cstdint>
#include <string>

#include "system/RegistryDword.h"

enum class RegistryRoot { CurrentUser, LocalMachine, Users };
using RegistryKey = void*;

class RegistryWriter {
public:
    virtual ~RegistryWriter() = default;
    // Opens an existing key for setting values; a missing key is not created.
    virtual uint32_t OpenKey(RegistryRoot root, const std::string& path, RegistryKey& key) = 0;
    // Opens the key for setting values, creating it (and missing parents) when it is not there.
    virtual uint32_t CreateKey(RegistryRoot root, const std::string& path, RegistryKey& key) = 0;
    // A REG_SZ value; `size` is the byte count passed on, its terminating zero included.
    virtual uint32_t SetStringValue(RegistryKey key, const std::string& name, const char* data, uint32_t size) = 0;
    virtual uint32_t SetDwordValue(RegistryKey key, const std::string& name, uint32_t data) = 0;
    // A value that should be a REG_DWORD; one that is not there is no error (kind Absent).
    virtual uint32_t ReadValue(RegistryKey key, const std::string& name, RegistryDword& value) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
    // Tells the running programs that a section of the user's settings changed (WM_SETTINGCHANGE
    // to every top-level window, with a timeout so that a hung program does not hold us up).
    virtual void AnnounceSettingChange(const std::string& section) = 0;
};
