// Safe start-up from a folder the user downloaded: no DLL may come from the program's
// folder or the current directory, where someone may have planted one.
#pragma once
#include <windows.h>

enum class DllSearch {
    SystemDirectoryOnly,       // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) took effect
    CurrentDirectoryRemoved,   // an older system: only SetDllDirectoryW(L"") was possible
    Unchanged,                 // neither call succeeded
};

// Called first thing in the program, before any DLL that is not a known DLL is loaded.
// Where the system has SetDefaultDllDirectories, every later load searches only the system
// directory; otherwise the current directory is at least dropped from the search.
DllSearch RestrictDllSearchToSystemDirectory();

// Loads a DLL by its full path in the system directory (GetSystemDirectoryW; a 32-bit program
// on a 64-bit Windows gets the 32-bit one by the file-system redirection). Null on failure,
// with the error in GetLastError.
HMODULE LoadSystemLibrary(const char* name);

// winspool.drv and comctl32.dll are delay-loaded (they are not known DLLs, so an ordinary
// import would be searched in the program's folder first, before any code of ours runs).
// The delay-load helper asks this module to load them: always from the system directory,
// whatever the search order; a DLL or function that cannot be had ends the program with a
// message naming it, rather than with an unhandled exception.
