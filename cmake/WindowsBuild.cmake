# The system code (work/, comm/) built for Windows from the same sources,
# against the real Win32 headers and libraries instead of the platform
# layer, with the tests that can run there; app/ is compiled, not linked,
# since its widgets come from the Qt toolkit. Wine runs the tests: Wine's
# kernel32, serial driver and user32 are a second implementation of the calls
# the platform layer answers on Linux.
find_package(Threads REQUIRED)
include(GNUInstallDirs)
enable_testing()

# GoogleTest from Debian's source package, built for this target.
set(KESTRIX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian's googletest package)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${KESTRIX_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)

# The Win32 API itself stands where the Linux build has its platform layer.
add_library(platform INTERFACE)
target_link_libraries(platform INTERFACE shell32 user32 kernel32 Threads::Threads)

add_subdirectory(work)
add_subdirectory(comm)

# app/ compiled against the toolkit's headers, which name no Qt type.
file(GLOB_RECURSE app_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/app/*.cpp)
file(GLOB_RECURSE app_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/app/*.h)
set(app_folders)
foreach(header ${app_headers})
  get_filename_component(folder ${header} DIRECTORY)
  list(APPEND app_folders ${folder})
endforeach()
list(REMOVE_DUPLICATES app_folders)
add_library(app_compiles OBJECT ${app_sources})
target_include_directories(app_compiles PRIVATE ${PROJECT_SOURCE_DIR}/app ${app_folders} ${PROJECT_SOURCE_DIR}/toolkit/include)
target_link_libraries(app_compiles PRIVATE comm work)
target_compile_definitions(app_compiles PRIVATE KESTRIX_VERSION="${PROJECT_VERSION}")
# The scripts feature's portable libraries (Lua, RE2) compile from their
# Debian headers: only those headers' folders go on the path, never the
# Linux system's own headers.
set(portable_headers ${CMAKE_BINARY_DIR}/portable_headers)
file(MAKE_DIRECTORY ${portable_headers})
file(CREATE_LINK /usr/include/re2 ${portable_headers}/re2 SYMBOLIC)
target_include_directories(app_compiles SYSTEM PRIVATE /usr/include/lua5.4 ${portable_headers})

add_subdirectory(tests/support/serial_lines)
include(KestrixTest)
add_subdirectory(tests/work)
add_subdirectory(tests/comm)
