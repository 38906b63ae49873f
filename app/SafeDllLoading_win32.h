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

// winspool.drv and comctl32.dll are delay-loaded (they are not known DLLs, so an ordinary
// import would be searched in the program's folder first, before any code of ours runs).
// The delay-load helper asks this module to load them: always from the system directory,
// whatever the search order; a DLL or function that cannot be had ends the program with a
// message naming it, rather than with an unhandled exception.
