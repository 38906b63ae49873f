// RegistryDword values for the tests' tables.
#pragma once
#include "system/RegistryDword.h"
inline RegistryDword Dword(uint32_t value) { return {RegistryDword::Kind::Dword, value, 0}; }
inline RegistryDword OtherType(uint32_t type) { return {RegistryDword::Kind::OtherType, 0, type}; }
