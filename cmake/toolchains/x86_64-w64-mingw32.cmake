# Windows x86_64 with Debian's MinGW-w64, POSIX thread model (std::thread and std::mutex need it):
# the compilers of g++-mingw-w64-x86-64-posix.
#
# LEXARO_WINDOWS_PREFIXES (a list, given as a cache variable or in the environment) names the
# folders the Windows build installed its libraries into (Qt, GoogleTest, the helper's libraries):
# they are searched like MinGW's own tree, and pkg-config looks in them and nowhere else, so no
# library of this machine's own can be picked up for Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LEXARO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LEXARO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LEXARO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LEXARO_MINGW_TRIPLE}-windres)

if(NOT DEFINED LEXARO_WINDOWS_PREFIXES AND DEFINED ENV{LEXARO_WINDOWS_PREFIXES})
  set(LEXARO_WINDOWS_PREFIXES "$ENV{LEXARO_WINDOWS_PREFIXES}")
endif()
# try_compile projects read this file again: they get the prefixes too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LEXARO_WINDOWS_PREFIXES)

set(CMAKE_FIND_ROOT_PATH /usr/${LEXARO_MINGW_TRIPLE} ${LEXARO_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(LEXARO_WINDOWS_PREFIXES)
  set(pkg_config_dirs "")
  foreach(prefix IN LISTS LEXARO_WINDOWS_PREFIXES)
    list(APPEND pkg_config_dirs ${prefix}/lib/pkgconfig)
  endforeach()
  string(REPLACE ";" ":" pkg_config_dirs "${pkg_config_dirs}")
  set(ENV{PKG_CONFIG_LIBDIR} "${pkg_config_dirs}")
  set(ENV{PKG_CONFIG_PATH} "")
  unset(pkg_config_dirs)
endif()
