// The few Windows error numbers the installation decides on, for code that includes no
// Windows header. The values are Windows' own.
#pragma once
#include <cstdint>

constexpr uint32_t kErrorFileNotFound = 2;                    // ERROR_FILE_NOT_FOUND
constexpr uint32_t kErrorPathNotFound = 3;                    // ERROR_PATH_NOT_FOUND
constexpr uint32_t kErrorGenFailure = 31;                     // ERROR_GEN_FAILURE
constexpr uint32_t kErrorInvalidParameter = 87;               // ERROR_INVALID_PARAMETER
constexpr uint32_t kErrorInsufficientBuffer = 122;            // ERROR_INSUFFICIENT_BUFFER
constexpr uint32_t kErrorMoreData = 234;                      // ERROR_MORE_DATA
constexpr uint32_t kErrorNoUnicodeTranslation = 1113;         // ERROR_NO_UNICODE_TRANSLATION
constexpr uint32_t kErrorPrinterDriverAlreadyInstalled = 1795;  // ERROR_PRINTER_DRIVER_ALREADY_INSTALLED
constexpr uint32_t kErrorPrinterAlreadyExists = 1802;         // ERROR_PRINTER_ALREADY_EXISTS
constexpr uint32_t kErrorAccessDenied = 5;                    // ERROR_ACCESS_DENIED
constexpr uint32_t kErrorElevationRequired = 740;             // ERROR_ELEVATION_REQUIRED
constexpr uint32_t kErrorPrinterDriverWarned = 3013;          // ERROR_PRINTER_DRIVER_WARNED
constexpr uint32_t kErrorPrinterDriverBlocked = 3014;         // ERROR_PRINTER_DRIVER_BLOCKED
