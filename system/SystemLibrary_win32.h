// DLLs the program loads at run time, found so that no search can reach the program's folder
// or the current directory, where someone may have planted a DLL of the same name.
#pragma once
#include <windows.h>

// Loads a DLL by its full path in the system directory (GetSystemDirectoryW; a 32-bit program
// on a 64-bit Windows gets the 32-bit one by the file-system redirection). Null on failure,
// with the error in GetLastError.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of kernel32, looked up at run time because an older Windows lacks it; null there.
// kernel32 is a known DLL, loaded with every process: no search happens.
FARPROC KernelFunction(const char* name);

// The same as a pointer of the function's own type.
template <class Function>
Function KernelFunctionAs(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(KernelFunction(name)));
}
