# The Windows program, its stand-in USB installers and the tests that run under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
# No MinGW runtime DLLs: the program must start on a clean Windows.
set(STATIC_LINK -static -static-libgcc -static-libstdc++)

# winspool.drv, comctl32.dll and version.dll are not known DLLs: an ordinary import of them is searched in the
# program's folder first, before any code of ours runs, so a DLL planted beside the downloaded
# program would be loaded. They are delay-loaded instead, from import libraries made here with
# dlltool, and the start-up code (app/SafeDllLoading_win32.cpp) loads them from the system
# directory. The ordinary libraries stay behind them on the link line, for what the .def files
# do not list (the release check reports any such import).
set(DELAYLOAD_DIR ${CMAKE_BINARY_DIR}/delayload)
# add_delayload_library(DLL DEF_SOURCE OUT_VAR): a delay-load import library of DLL for the
# functions DEF_SOURCE lists (i686 stdcall names), its path in OUT_VAR.
function(add_delayload_library dll def_source out_var)
  get_filename_component(stem ${def_source} NAME_WE)
  set(def ${DELAYLOAD_DIR}/${stem}.def)
  set(lib ${DELAYLOAD_DIR}/lib${stem}_delay.a)
  file(READ ${def_source} def_text)
  set(thunks_kept)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # No stdcall decoration on x86_64.
    string(REGEX REPLACE "@[0-9]+" "" def_text "${def_text}")
    set(dlltool_args -m i386:x86-64)
  else()
    # The link names keep their @n; the DLL's export names do not (--kill-at).
    set(dlltool_args -m i386 --kill-at)
    # Each function's member of dlltool's i386 delay library has one code section: the jump
    # stub "jmp *__imp_F" (symbol F) and after it the load thunk that F's IAT slot points at.
    # The i386 PE linker (ld/emultempl/pe.em, after_open) drops the code section of an
    # import-library member whose symbol F nobody references, taking it for a plain jump stub.
    # A caller that declares F dllimport (commctrl.h does) references only __imp_F, so the
    # thunk went and F's slot was linked as 0: a call to address 0. Marked as data, the
    # section is no longer taken for a stub; it still lands in .text (by name) and runs from
    # there. The x86_64 linker (pep.em) has no such pruning.
    set(thunks_kept COMMAND ${CMAKE_OBJCOPY} --rename-section .text=.text$delay,contents,alloc,load,readonly,data ${lib})
  endif()
  file(WRITE ${def} "${def_text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def_source})
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_DLLTOOL} ${dlltool_args} --input-def ${def} --dllname ${dll} --output-delaylib ${lib}
    ${thunks_kept}
    DEPENDS ${def}
    VERBATIM)
  set(${out_var} ${lib} PARENT_SCOPE)
endfunction()
set(DELAYLOAD_LIBS)
foreach(dll winspool.drv comctl32.dll version.dll)
  string(REGEX REPLACE "\\..*$" "" stem ${dll})
  add_delayload_library(${dll} ${CMAKE_SOURCE_DIR}/tools/delayload/${stem}.def lib)
  list(APPEND DELAYLOAD_LIBS ${lib})
endforeach()
add_custom_target(delayload_libs DEPENDS ${DELAYLOAD_LIBS})

file(GLOB WIN_SOURCES CONFIGURE_DEPENDS app/*_win32.cpp install/*_win32.cpp ports/*_win32.cpp
  system/*_win32.cpp win/*.cpp ui/*.cpp)
list(FILTER WIN_SOURCES EXCLUDE REGEX "/(main|Terminate)_win32\\.cpp$")
# The window-free files of ui/ and win/ are in the core already.
foreach(file ${CORE_WINDOW_FREE_FILES})
  list(REMOVE_ITEM WIN_SOURCES ${CMAKE_SOURCE_DIR}/${file})
endforeach()
add_library(wizard_win STATIC ${WIN_SOURCES})
# The release program (i686) is built for Windows 2000 (0x0500), so that the headers refuse a call
# that Windows 2000 does not have; later functions are looked up at run time. The 64-bit build
# runs only on 64-bit Windows (XP x64 and later) and under Wine.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(WINDOWS_TARGET_VERSION 0x0500)
else()
  set(WINDOWS_TARGET_VERSION 0x0601)
endif()
target_compile_definitions(wizard_win PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX
  _WIN32_WINNT=${WINDOWS_TARGET_VERSION} WINVER=${WINDOWS_TARGET_VERSION})
add_dependencies(wizard_win delayload_libs)
target_link_libraries(wizard_win PUBLIC wizard_core ${DELAYLOAD_LIBS} winspool comctl32 version shell32 advapi32 gdi32 user32 kernel32)

# The terminate handler is linked into the program itself: from a library it would come too
# late to stand in for libstdc++'s.
add_executable(PrinterSetup WIN32 app/main_win32.cpp app/Terminate_win32.cpp res/PrinterSetup.rc)
target_link_libraries(PrinterSetup PRIVATE wizard_win ${STATIC_LINK})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The release program: no symbol table, and no link time in its header, so that the same
  # sources give the same file (and the release zip the same SHA-256).
  target_link_options(PrinterSetup PRIVATE -s -Wl,--no-insert-timestamp)
  # Every function and datum in a section of its own, so that the linker drops what nothing
  # calls: the program must stay within its 400 KiB.
  target_compile_options(wizard_core PRIVATE -ffunction-sections -fdata-sections)
  target_compile_options(wizard_win PRIVATE -ffunction-sections -fdata-sections)
  target_link_options(PrinterSetup PRIVATE -Wl,--gc-sections)
endif()

# Stand-ins for the driver-package installer of the USB serial driver: each leaves a marker.
add_executable(dpinst-standin WIN32 tools/dpinst-standin.c)
target_link_libraries(dpinst-standin PRIVATE ${STATIC_LINK})
# It goes into the release zip as a placeholder: no link time either.
target_link_options(dpinst-standin PRIVATE -Wl,--no-insert-timestamp)

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
  target_link_libraries(wine_tests PRIVATE wizard_win gtest version msi ${STATIC_LINK})
  # No administrator manifest for the test program itself (res/PrinterSetup.rc).
  target_compile_definitions(wine_tests PRIVATE WIZARD_TEST_PROGRAM)
  # The program sealed against the sample package, as a release is (scripts/seal.sh), for the
  # tests of the seal; the package's own PrinterSetup.exe stays unsealed like any developer build.
  add_custom_target(sealed_program ALL
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:PrinterSetup> ${CMAKE_BINARY_DIR}/PrinterSetup-sealed.exe
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/seal.sh ${CMAKE_BINARY_DIR}/PrinterSetup-sealed.exe ${PACKAGE_DIR}
    VERBATIM)
  add_dependencies(sealed_program sample_package)
  add_dependencies(wine_tests sample_package sealed_program planted_dll plant_control dll_search_probe)
  add_test(NAME wine_tests COMMAND wine_tests)

  # The Windows Installer package of the sample package with this build's program, for the MSI
  # tests under Wine, and a later release of it to upgrade to (its fourth version field one
  # higher, which Windows Installer does not compare: the hardest upgrade to get right).
  set(MAKE_MSI bash ${CMAKE_SOURCE_DIR}/scripts/make-msi.sh ${PACKAGE_DIR})
  add_custom_target(test_msi ALL
    COMMAND ${MAKE_MSI} ${CMAKE_BINARY_DIR}/PrinterSetup.msi
    COMMAND ${MAKE_MSI} ${CMAKE_BINARY_DIR}/PrinterSetup-upgrade.msi +1
    VERBATIM)
  add_dependencies(test_msi sample_package)
endif()

if(WIZARD_TESTS)
  # For the DLL-planting test: a DLL that leaves a marker when loaded (copied under the names
  # of the DLLs it stands in for), a control program that imports those DLLs the ordinary way,
  # and a probe that shows what the start-up's search restriction does to a LoadLibrary.
  add_library(planted_dll SHARED tools/planted-dll.c)
  set_target_properties(planted_dll PROPERTIES PREFIX "" OUTPUT_NAME planted)
  # No stdcall decoration on its exports (i686): they must match the names programs import.
  target_link_libraries(planted_dll PRIVATE -static-libgcc -Wl,--kill-at)
  add_executable(plant_control WIN32 tools/plant-control.c)
  target_link_libraries(plant_control PRIVATE winspool comctl32 ${STATIC_LINK})
  # The probe also calls into a DLL no system has and a spooler function none exports, to show
  # what the start-up's delay-load hooks make of them.
  add_delayload_library(nosuch.dll ${CMAKE_SOURCE_DIR}/tools/delayload/probe/nosuch.def nosuch_lib)
  add_delayload_library(winspool.drv ${CMAKE_SOURCE_DIR}/tools/delayload/probe/winspool_missing.def missing_lib)
  add_custom_target(probe_delayload_libs DEPENDS ${nosuch_lib} ${missing_lib})
  add_executable(dll_search_probe WIN32 tools/dll-search-probe.cpp)
  add_dependencies(dll_search_probe probe_delayload_libs)
  target_link_libraries(dll_search_probe PRIVATE ${nosuch_lib} ${missing_lib} wizard_win ${STATIC_LINK})
  # The benchmark (scripts/bench.sh): the floor program and the driver that times both.
  add_executable(bench_floor tools/bench-floor.cpp)
  target_include_directories(bench_floor PRIVATE ${PACKAGE_FILE_LIST_DIR})
  target_link_libraries(bench_floor PRIVATE winspool advapi32 ${STATIC_LINK})
  add_executable(bench_driver tools/bench-driver.cpp)
  target_include_directories(bench_driver PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(bench_driver PRIVATE wizard_win winspool comctl32 ${STATIC_LINK})
  add_dependencies(bench_driver sealed_program)
endif()
