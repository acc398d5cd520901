# Reader library tests: pure DES and frame tests (unit), the library against the
# firmware stand-in on a pseudo-terminal (reader), and the Windows DLL (wine).

tolvane_test(reader_des_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/des_test.cpp
  LIBS reader_des OpenSSL::Crypto)
tolvane_test(reader_frame_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_test.cpp
  LIBS reader_static)

tolvane_test(reader_pty_test LABEL reader TIMEOUT 300
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/reader_fixture.h
    ${CMAKE_CURRENT_LIST_DIR}/serial_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/session_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pin_test.cpp
  LIBS reader_static readerfw_sim)
target_include_directories(reader_pty_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})

# The shared library loaded by name and driven only through its exports.
tolvane_test(reader_dlopen_test LABEL reader TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dlopen_test.cpp ${CMAKE_CURRENT_LIST_DIR}/scenario_firmware.h
  LIBS readerfw_sim ${CMAKE_DL_LIBS})
target_include_directories(reader_dlopen_test PRIVATE
  ${CMAKE_SOURCE_DIR}/reader/include ${CMAKE_SOURCE_DIR}/reader/wincheck)
target_compile_definitions(reader_dlopen_test PRIVATE
  READER_LIBRARY_DIR="$<TARGET_FILE_DIR:reader>")
add_dependencies(reader_dlopen_test reader)

# reader.dll and its check program come from the Windows build (preset win32).
set(READER_WIN32_DIR ${CMAKE_SOURCE_DIR}/build-win32 CACHE PATH "Build folder of the win32 preset")
find_program(READER_MINGW_OBJDUMP i686-w64-mingw32-objdump)
tolvane_test(reader_wine_test LABEL wine TIMEOUT 600
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/wine_test.cpp ${CMAKE_CURRENT_LIST_DIR}/scenario_firmware.h
  LIBS readerfw_sim)
target_include_directories(reader_wine_test PRIVATE
  ${CMAKE_SOURCE_DIR}/reader/include ${CMAKE_SOURCE_DIR}/reader/wincheck)
target_compile_definitions(reader_wine_test PRIVATE
  READER_WIN32_DIR="${READER_WIN32_DIR}"
  READER_EXPORTS_FILE="${CMAKE_CURRENT_LIST_DIR}/exports.txt"
  READER_OBJDUMP="${READER_MINGW_OBJDUMP}"
  READER_WINE_PREFIX="${CMAKE_BINARY_DIR}/reader-wineprefix")

# Where this machine cannot execute 32-bit programs, the same Windows code is also
# built for x86_64 and run under wine64, so the Win32 serial layer is still
# exercised. Built only when the x86_64 cross compiler is installed.
find_program(READER_MINGW64_CXX x86_64-w64-mingw32-g++-posix)
if(READER_MINGW64_CXX)
  include(ExternalProject)
  set(READER_WIN64_DIR ${CMAKE_BINARY_DIR}/reader-win64)
  ExternalProject_Add(reader_win64
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${READER_WIN64_DIR}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_CURRENT_LIST_DIR}/toolchain/mingw-x86_64.cmake
      -DCMAKE_BUILD_TYPE=Release
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${READER_WIN64_DIR} --target reader wincheck
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    EXCLUDE_FROM_ALL OFF)
  add_dependencies(reader_wine_test reader_win64)
  target_compile_definitions(reader_wine_test PRIVATE READER_WIN64_DIR="${READER_WIN64_DIR}")
endif()
