#include <windows.h>

#include "install/PackageSeal.h"

// The program's own image, where the linker put it; no import needed to find it.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const IMAGE_RESOURCE_DIRECTORY_ENTRY* EntryWithId(const IMAGE_RESOURCE_DIRECTORY* directory, WORD id)
{
    const auto* entries = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY_ENTRY*>(directory + 1);
    const int count = directory->NumberOfNamedEntries + directory->NumberOfIdEntries;
    for (int i = directory->NumberOfNamedEntries; i < count; ++i)
        if (!entries[i].NameIsString && entries[i].Id == id)
            return &entries[i];
    return nullptr;
}

// The seal's bytes in the mapped image: the resource directory is walked here rather than
// through FindResource, LoadResource and LockResource, which would be three more imports for
// what the loader has already mapped.
bool FindSealResource(const char*& data, size_t& size)
{
    const BYTE* image = reinterpret_cast<const BYTE*>(&__ImageBase);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + __ImageBase.e_lfanew);
    const IMAGE_DATA_DIRECTORY& resources = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
    if (resources.VirtualAddress == 0)
        return false;
    const BYTE* root = image + resources.VirtualAddress;
    auto directory = [root](DWORD offset) { return reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY*>(root + offset); };
    const IMAGE_RESOURCE_DIRECTORY_ENTRY* type = EntryWithId(directory(0), 10);  // RT_RCDATA
    if (type == nullptr || !type->DataIsDirectory)
        return false;
    const IMAGE_RESOURCE_DIRECTORY_ENTRY* name = EntryWithId(directory(type->OffsetToDirectory), kPackageSealResourceId);
    if (name == nullptr || !name->DataIsDirectory)
        return false;
    const IMAGE_RESOURCE_DIRECTORY* languages = directory(name->OffsetToDirectory);
    if (languages->NumberOfNamedEntries + languages->NumberOfIdEntries == 0)
        return false;
    const auto* language = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY_ENTRY*>(languages + 1);
    if (language->DataIsDirectory)
        return false;
    const auto* leaf = reinterpret_cast<const IMAGE_RESOURCE_DATA_ENTRY*>(root + language->OffsetToData);
    data = reinterpret_cast<const char*>(image + leaf->OffsetToData);
    size = leaf->Size;
    return true;
}

PackageSeal g_seal;
bool g_sealRead = false;

}  // namespace

const PackageSeal& ProgramSeal()
{
    if (!g_sealRead) {
        const char* data = nullptr;
        size_t size = 0;
        // Every build carries a seal resource; a program without one has been tampered with.
        g_seal = FindSealResource(data, size) ? ParsePackageSeal(data, size) : ParsePackageSeal("", 0);
        g_sealRead = true;
    }
    return g_seal;
}
