# Run by `cmake --install` (and so by CPack) for the Windows build; cmake/WindowsPackage.cmake sets
# the LEXARO_* variables before it. Copies every DLL the programs and the Qt plug-ins import, and
# those DLLs import in turn, from the build's folders beside Lexaro.exe; writes licenses/files.txt,
# which names each shipped program and DLL with the folder of its licence; and, for the MinGW
# runtime, copies its Debian package's copyright file into licenses/.
#
# An import that is neither found in the build's folders nor one of Windows's own stops the install.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND ${LEXARO_OBJDUMP})

# CMake looks an import up by its name in lower case, which this machine's case-sensitive file
# system does not find when the DLL's name is not (Qt6Core.dll): each folder is searched through a
# folder of links named in lower case, in the same order.
set(links_root "${LEXARO_BINARY_DIR}/dll-links")
file(REMOVE_RECURSE "${links_root}")
set(link_folders "")
set(index 0)
foreach(folder IN LISTS LEXARO_DLL_FOLDERS)
  set(links "${links_root}/${index}")
  file(MAKE_DIRECTORY "${links}")
  file(GLOB files LIST_DIRECTORIES false "${folder}/*")
  foreach(file IN LISTS files)
    get_filename_component(name "${file}" NAME)
    string(TOLOWER "${name}" lower)
    if(lower MATCHES "[.]dll$")
      file(CREATE_LINK "${file}" "${links}/${lower}" SYMBOLIC)
    endif()
  endforeach()
  list(APPEND link_folders "${links}")
  math(EXPR index "${index} + 1")
endforeach()

file(
  GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${LEXARO_EXECUTABLES}
  MODULES ${LEXARO_MODULES}
  DIRECTORIES ${link_folders}
  PRE_EXCLUDE_REGEXES ${LEXARO_SYSTEM_REGEXES}
  RESOLVED_DEPENDENCIES_VAR resolved
  UNRESOLVED_DEPENDENCIES_VAR unresolved
  CONFLICTING_DEPENDENCIES_PREFIX conflicting)
if(unresolved)
  list(JOIN unresolved ", " unresolved)
  list(JOIN LEXARO_DLL_FOLDERS "\n  " folders)
  message(FATAL_ERROR "Imported, but in none of the build's folders and not one of Windows's own "
                      "DLLs: ${unresolved}\nThe folders:\n  ${folders}")
endif()
if(conflicting_FILENAMES)
  message(FATAL_ERROR "DLLs found in more than one of the build's folders: ${conflicting_FILENAMES}")
endif()

# The Debian package a file of this machine comes from.
function(debian_package_of file out)
  execute_process(COMMAND dpkg-query -S "${file}" OUTPUT_VARIABLE owner RESULT_VARIABLE status
                  ERROR_QUIET)
  if(NOT status EQUAL 0)
    file(REAL_PATH "${file}" real)
    execute_process(COMMAND dpkg-query -S "${real}" OUTPUT_VARIABLE owner RESULT_VARIABLE status)
  endif()
  if(NOT status EQUAL 0 OR NOT owner MATCHES "^([^:, ]+)(:[a-z0-9]+)?: ")
    message(FATAL_ERROR "No Debian package holds ${file}")
  endif()
  set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

# A Debian package's copyright file, with the licences it points to in /usr/share/common-licenses.
function(copy_debian_copyright package)
  set(folder "${root}/licenses/${package}")
  set(copyright /usr/share/doc/${package}/copyright)
  if(NOT EXISTS "${copyright}")
    message(FATAL_ERROR "${package} has no ${copyright}")
  endif()
  file(READ "${copyright}" text)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${copyright}" "${folder}/copyright" ONLY_IF_DIFFERENT)
  string(REGEX MATCHALL "/usr/share/common-licenses/[A-Za-z0-9.+_-]*[A-Za-z0-9+]" common "${text}")
  list(REMOVE_DUPLICATES common)
  foreach(licence IN LISTS common)
    if(EXISTS "${licence}")
      get_filename_component(name "${licence}" NAME)
      file(COPY_FILE "${licence}" "${folder}/common-licenses-${name}" ONLY_IF_DIFFERENT)
    endif()
  endforeach()
endfunction()

# Which licence folder a DLL's is: Qt's, one of the helper's libraries' source packages, or the
# Debian package of the MinGW runtime.
function(licence_of path out)
  get_filename_component(name "${path}" NAME)
  get_filename_component(folder "${path}" DIRECTORY)
  string(TOLOWER "${name}" lower)
  if(folder STREQUAL LEXARO_QT_BIN)
    set(${out} qt6-base PARENT_SCOPE)
    return()
  endif()
  set(sources ${LEXARO_DLL_SOURCES})
  while(sources)
    list(POP_FRONT sources regex package)
    if(lower MATCHES "${regex}")
      set(${out} ${package} PARENT_SCOPE)
      return()
    endif()
  endwhile()
  if(folder MATCHES "^/usr/")
    debian_package_of("${path}" package)
    copy_debian_copyright(${package})
    set(${out} ${package} PARENT_SCOPE)
    return()
  endif()
  message(FATAL_ERROR "No licence is known for ${path}")
endfunction()

set(listing "The licence of each program and library shipped here:\r\n\r\n")
string(APPEND listing "Lexaro.exe: LICENSE.txt, licenses/lexaro-formats-and-helper\r\n")
string(APPEND listing
       "lexaro-extract.exe: licenses/lexaro-extract, licenses/lexaro-formats-and-helper\r\n")
foreach(module IN LISTS LEXARO_MODULES)
  get_filename_component(name "${module}" NAME)
  get_filename_component(kind "${module}" DIRECTORY)
  get_filename_component(kind "${kind}" NAME)
  string(APPEND listing "${kind}/${name}: licenses/qt6-base\r\n")
endforeach()
set(copied "")
foreach(link IN LISTS resolved)
  file(REAL_PATH "${link}" dll)
  get_filename_component(name "${dll}" NAME)
  licence_of("${dll}" package)
  if(NOT IS_DIRECTORY "${root}/licenses/${package}")
    message(FATAL_ERROR "${name} is ${package}'s, whose licence folder is not in licenses/")
  endif()
  string(APPEND listing "${name}: licenses/${package}\r\n")
  file(INSTALL "${dll}" DESTINATION "${CMAKE_INSTALL_PREFIX}")
  list(APPEND copied "${root}/${name}")
endforeach()
file(WRITE "${root}/licenses/files.txt" "${listing}")

if(CMAKE_INSTALL_DO_STRIP)
  foreach(module IN LISTS LEXARO_MODULES)
    get_filename_component(name "${module}" NAME)
    get_filename_component(kind "${module}" DIRECTORY)
    get_filename_component(kind "${kind}" NAME)
    list(APPEND copied "${root}/${kind}/${name}")
  endforeach()
  execute_process(COMMAND ${LEXARO_STRIP} --strip-unneeded ${copied} COMMAND_ERROR_IS_FATAL ANY)
endif()
