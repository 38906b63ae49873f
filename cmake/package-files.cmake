# install/package-files.txt, the one list of the driver package's files, as the C++ header
# PackageFileList.h in ${PACKAGE_FILE_LIST_DIR}: kPackageDriverFiles (the driver folder's files,
# in copying order), kPackageOptionalFiles and the three USB installer paths (backslashes, as Windows writes them).
set(PACKAGE_FILE_LIST ${CMAKE_SOURCE_DIR}/install/package-files.txt)
set(PACKAGE_FILE_LIST_DIR ${CMAKE_BINARY_DIR}/generated)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PACKAGE_FILE_LIST})
file(STRINGS ${PACKAGE_FILE_LIST} package_lines REGEX "^[a-z]")
set(driver_files)
set(optional_files)
set(usb_x86)
set(usb_x64)
set(usb_second)
foreach(line IN LISTS package_lines)
  if(NOT line MATCHES "^([a-z0-9-]+) (.+)$")
    message(FATAL_ERROR "install/package-files.txt: not \"<role> <path>\": ${line}")
  endif()
  set(role ${CMAKE_MATCH_1})
  string(REPLACE "/" "\\\\" path "${CMAKE_MATCH_2}")
  if(role STREQUAL "driver")
    string(APPEND driver_files "    \"${path}\",\n")
  elseif(role STREQUAL "optional")
    string(APPEND optional_files "    \"${path}\",\n")
  elseif(role MATCHES "^usb-(x86|x64|second)$")
    set(usb_${CMAKE_MATCH_1} "${path}")
  else()
    message(FATAL_ERROR "install/package-files.txt: unknown role ${role}")
  endif()
endforeach()
foreach(role x86 x64 second)
  if(NOT usb_${role})
    message(FATAL_ERROR "install/package-files.txt: no usb-${role} line")
  endif()
endforeach()
file(CONFIGURE OUTPUT ${PACKAGE_FILE_LIST_DIR}/PackageFileList.h CONTENT [[
// Made by CMake from install/package-files.txt (cmake/package-files.cmake): edit the list, not this.
#pragma once

// The files the installation copies from the driver folder, in copying order.
constexpr const char* kPackageDriverFiles[] = {
@driver_files@};
// The files the driver names only when the driver folder holds them.
constexpr const char* kPackageOptionalFiles[] = {
@optional_files@};
// The USB serial driver installers the first page can start, relative to the package folder.
constexpr char kUsbInstallerX86[] = "@usb_x86@";
constexpr char kUsbInstallerX64[] = "@usb_x64@";
constexpr char kSecondUsbInstaller[] = "@usb_second@";
]] @ONLY)
