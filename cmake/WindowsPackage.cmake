# What the Windows build installs, and the installer and portable zip CPack makes of it:
#
#   Lexaro.exe, lexaro-extract.exe       the program and its document helper
#   *.dll                                every DLL they and the plug-ins import that is not Windows's
#   platforms/, styles/                  Qt's windows platform and style plug-ins
#   share/poppler/                       poppler's CJK and glyph-name tables (Debian's poppler-data)
#   README.txt, LICENSE.txt              the README; the terms of use, the installer's licence page
#   licenses/                            the licence of each shipped part, and files.txt, which part
#                                        each program and DLL is and where its licence is
#
# The DLLs are found when installing, by reading the PE import tables (file(GET_RUNTIME_DEPENDENCIES)
# with MinGW's objdump) in the build's own folders: Qt's, the helper's libraries' (both given in
# LEXARO_WINDOWS_PREFIXES) and the compiler's runtime. A DLL found in none of them fails the
# install unless it is one of Windows's own, named below: nothing ships, or is left out, by
# elimination.

set(LEXARO_WINDOWS_LICENSES "" CACHE PATH
    "Folder of the licences of Qt and the helper's libraries, one folder per source package")
set(LEXARO_POPPLER_DATA /usr/share/poppler CACHE PATH "poppler's data (Debian's poppler-data)")

# Windows's own DLLs and API sets, which every Windows has: the only imports not shipped.
set(LEXARO_WINDOWS_SYSTEM_DLLS
    advapi32 authz bcrypt comctl32 comdlg32 crypt32 d2d1 d3d9 d3d11 d3d12 dwmapi dwrite dxgi gdi32
    imm32 iphlpapi kernel32 msvcrt mpr netapi32 ntdll ole32 oleaut32 opengl32 rpcrt4 secur32
    setupapi shcore shell32 shlwapi user32 userenv uxtheme version winmm ws2_32 wtsapi32)

# Which source package each DLL of the helper's libraries is built from (files.txt names its
# licence folder); Qt's folder is qt6-base's and the MinGW runtime's is found by dpkg.
set(LEXARO_WINDOWS_DLL_SOURCES
    "^libzip[-0-9]*\\.dll$" libzip "^libxml2[-0-9]*\\.dll$" libxml2 "^libcmark-gfm" cmark-gfm
    "^libfreetype[-0-9]*\\.dll$" freetype "^libpoppler" poppler "^(lib)?icu[a-z]+[0-9]*\\.dll$" icu)

# The compiler's runtime: the folder of libstdc++-6.dll (with libgcc_s_seh-1.dll) and MinGW's own
# (libwinpthread-1.dll, zlib1.dll). Asked of the compiler this build uses.
execute_process(
  COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
  OUTPUT_VARIABLE runtime_dll
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
if(NOT IS_ABSOLUTE "${runtime_dll}" OR NOT EXISTS "${runtime_dll}")
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER} has no libstdc++-6.dll (it said: ${runtime_dll})")
endif()
get_filename_component(runtime_dir "${runtime_dll}" DIRECTORY)
set(LEXARO_WINDOWS_DLL_FOLDERS "")
foreach(prefix IN LISTS LEXARO_WINDOWS_PREFIXES)
  if(IS_DIRECTORY "${prefix}/bin")
    list(APPEND LEXARO_WINDOWS_DLL_FOLDERS "${prefix}/bin")
  endif()
endforeach()
list(APPEND LEXARO_WINDOWS_DLL_FOLDERS ${runtime_dir} /usr/${LEXARO_MINGW_TRIPLE}/lib)

install(TARGETS lexaro RUNTIME DESTINATION .) # lexaro-extract: documents/CMakeLists.txt
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(DIRECTORY ${LEXARO_POPPLER_DATA}/ DESTINATION share/poppler)

# Text files with Windows line ends: the README, the terms of use, the helper's licence.
function(lexaro_windows_text from to)
  file(READ "${from}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${to}" "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${from}")
endfunction()
set(text_dir ${PROJECT_BINARY_DIR}/windows-text)
lexaro_windows_text(${PROJECT_SOURCE_DIR}/README.md ${text_dir}/README.txt)
lexaro_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${text_dir}/LICENSE.txt)
lexaro_windows_text(${PROJECT_SOURCE_DIR}/documents/COPYING ${text_dir}/COPYING.txt)
# What both programs link (the formats, the helper's protocol, limits and lock-down): MIT.
lexaro_windows_text(${PROJECT_SOURCE_DIR}/formats/COPYING ${text_dir}/COPYING-MIT.txt)
install(FILES ${text_dir}/README.txt ${text_dir}/LICENSE.txt DESTINATION .)
install(FILES ${text_dir}/COPYING.txt DESTINATION licenses/lexaro-extract)
install(FILES ${text_dir}/COPYING-MIT.txt DESTINATION licenses/lexaro-formats-and-helper
        RENAME COPYING.txt)
if(LEXARO_WINDOWS_LICENSES)
  install(DIRECTORY ${LEXARO_WINDOWS_LICENSES}/ DESTINATION licenses PATTERN .done EXCLUDE)
endif()

# The DLLs, their licences' list, and the strip of everything copied (install(TARGETS) strips the
# two programs itself).
set(system_regexes "^api-ms-win-" "^ext-ms-")
foreach(name IN LISTS LEXARO_WINDOWS_SYSTEM_DLLS)
  list(APPEND system_regexes "^${name}[.]dll$")
endforeach()
install(
  CODE "set(LEXARO_EXECUTABLES [==[$<TARGET_FILE:lexaro>;$<TARGET_FILE:lexaro_extract>]==])
set(LEXARO_MODULES [==[$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>;$<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>]==])
set(LEXARO_SYSTEM_REGEXES [==[${system_regexes}]==])
set(LEXARO_DLL_FOLDERS [==[${LEXARO_WINDOWS_DLL_FOLDERS}]==])
set(LEXARO_QT_BIN [==[$<TARGET_FILE_DIR:Qt6::Core>]==])
set(LEXARO_DLL_SOURCES [==[${LEXARO_WINDOWS_DLL_SOURCES}]==])
set(LEXARO_OBJDUMP [==[${CMAKE_OBJDUMP}]==])
set(LEXARO_STRIP [==[${CMAKE_STRIP}]==])
set(LEXARO_BINARY_DIR [==[${PROJECT_BINARY_DIR}]==])")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/WindowsInstallDlls.cmake)

# The "Open with" list: only what this build reads (documents/ leaves out the readers whose
# libraries the cross build lacks).
set(unreadable "")
if(NOT LEXARO_MOBI_FOUND)
  list(APPEND unreadable mobi palmdoc)
endif()
if(NOT LEXARO_DJVU_FOUND)
  list(APPEND unreadable djvu)
endif()
if(NOT LEXARO_GSF_FOUND)
  list(APPEND unreadable doc)
endif()
if(NOT LEXARO_OCR_FOUND)
  list(APPEND unreadable png jpeg tiff webp) # page images are read by text recognition only
endif()
lexaro_nsis_associations(${unreadable})
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/associations.nsh.in
               ${PROJECT_BINARY_DIR}/associations.nsh @ONLY)

# CPack: the installer (NSIS, from packaging/windows/NSIS.template.in) and the portable zip
# (packaging/windows/CPackProjectConfig.cmake names them).
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME Lexaro-${LEXARO_FILE_VERSION})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/windows/CPackProjectConfig.cmake)
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
set(CPACK_RESOURCE_FILE_LICENSE ${text_dir}/LICENSE.txt)
set(CPACK_LEXARO_ICON ${PROJECT_SOURCE_DIR}/resources/icons/lexaro.ico)
set(CPACK_LEXARO_ASSOCIATIONS ${PROJECT_BINARY_DIR}/associations.nsh)
