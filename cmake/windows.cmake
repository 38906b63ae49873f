# The Windows program, its stand-in USB installers and the tests that run under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
# No MinGW runtime DLLs: the program must start on a clean Windows.
set(STATIC_LINK -static -static-libgcc -static-libstdc++)

file(GLOB WIN_SOURCES CONFIGURE_DEPENDS app/*_win32.cpp app/Dialog*.cpp install/*_win32.cpp ui/*.cpp)
list(FILTER WIN_SOURCES EXCLUDE REGEX "/main_win32\\.cpp$")
add_library(wizard_win STATIC ${WIN_SOURCES})
target_compile_definitions(wizard_win PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(wizard_win PUBLIC wizard_core winspool comctl32 shell32 advapi32 gdi32 user32 kernel32)

add_executable(PrinterSetup WIN32 app/main_win32.cpp res/PrinterSetup.rc)
target_link_libraries(PrinterSetup PRIVATE wizard_win ${STATIC_LINK})

# Stand-ins for the driver-package installer of the USB serial driver: each leaves a marker.
add_executable(dpinst-standin WIN32 tools/dpinst-standin.c)
target_link_libraries(dpinst-standin PRIVATE ${STATIC_LINK})

# The sample driver package, laid out beside the program as a user would unpack it.
set(PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
add_custom_target(sample_package ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/package ${PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:dpinst-standin> "${PACKAGE_DIR}/USB Driver/x86/dpinstx86.exe"
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:dpinst-standin> "${PACKAGE_DIR}/USB Driver/x64/dpinstx64.exe"
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:dpinst-standin> "${PACKAGE_DIR}/USBdriver/x86/dpinst.exe"
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:PrinterSetup> ${PACKAGE_DIR}/PrinterSetup.exe
  DEPENDS PrinterSetup dpinst-standin
  VERBATIM)

if(WIZARD_TESTS)
  file(GLOB WINE_TEST_SOURCES CONFIGURE_DEPENDS tests/wine/*.cpp)
  add_executable(wine_tests ${WINE_TEST_SOURCES} res/PrinterSetup.rc)
  target_include_directories(wine_tests PRIVATE tests/wine)
  target_link_libraries(wine_tests PRIVATE wizard_win gtest ${STATIC_LINK})
  add_dependencies(wine_tests sample_package)
  add_test(NAME wine_tests COMMAND wine_tests)
endif()
