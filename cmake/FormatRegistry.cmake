# The registry of formats (formats/formats.tsv) as the build needs it. Read once at configure time,
# it gives:
#   LEXARO_FORMAT_TABLE_CPP      the C++ rows of formats/format_table.cpp.in
#   LEXARO_DESKTOP_MIME_TYPES    the desktop entry's MimeType value ("text/plain;...;")
#   LEXARO_APPSTREAM_MEDIATYPES  the AppStream <mediatype> lines
#   LEXARO_FORMAT_KEYS           every format's key, and LEXARO_FORMAT_EXTENSIONS_<key> its extensions
# and lexaro_nsis_associations() makes the Windows installer's "Open with" lines from them.
# A row that breaks the file's rules stops the configuration with its line.

function(lexaro_read_format_registry tsv)
  file(STRINGS "${tsv}" lines ENCODING UTF-8)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${tsv}")
  set(cpp_arrays "")
  set(cpp_rows "")
  set(desktop "")
  set(appstream "")
  set(keys "")
  set(fallbacks 0)
  set(index 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "^#" OR line STREQUAL "")
      continue()
    endif()
    string(REPLACE "\t" ";" fields "${line}")
    list(LENGTH fields count)
    if(NOT count EQUAL 7)
      message(FATAL_ERROR "${tsv}: a row needs 7 fields separated by tabs: ${line}")
    endif()
    list(GET fields 0 key)
    list(GET fields 1 format_name)
    list(GET fields 2 extensions)
    list(GET fields 3 mime_types)
    list(GET fields 4 recognised)
    list(GET fields 5 by_name)
    list(GET fields 6 read_by)
    if(NOT key MATCHES "^[a-z0-9]+$"
       OR format_name MATCHES "[\"\\\\]"
       OR NOT extensions MATCHES "^[a-z0-9.]+( [a-z0-9.]+)*$"
       OR NOT mime_types MATCHES "^[a-z0-9.+-]+/[a-z0-9.+-]+( [a-z0-9.+-]+/[a-z0-9.+-]+)*$"
       OR NOT by_name MATCHES "^(name|-)$"
       OR NOT read_by MATCHES "^(window|helper)$")
      message(FATAL_ERROR "${tsv}: a field does not have its column's form: ${line}")
    endif()

    set(offset 0)
    set(pattern "")
    if(recognised MATCHES "^magic(@([0-9]+))? (.+)$")
      set(recognition Magic)
      if(CMAKE_MATCH_2)
        set(offset ${CMAKE_MATCH_2})
      endif()
      set(pattern "${CMAKE_MATCH_3}")
    elseif(recognised MATCHES "^zip-mimetype (.+)$")
      set(recognition ZipMimetype)
      set(pattern "${CMAKE_MATCH_1}")
    elseif(recognised MATCHES "^zip-member (.+)$")
      set(recognition ZipMember)
      set(pattern "${CMAKE_MATCH_1}")
    elseif(recognised MATCHES "^xml-root ([A-Za-z][A-Za-z0-9_-]*)$")
      set(recognition XmlRoot)
      set(pattern "${CMAKE_MATCH_1}")
    elseif(recognised STREQUAL "html-markup")
      set(recognition HtmlMarkup)
    elseif(recognised STREQUAL "fallback")
      set(recognition Fallback)
      math(EXPR fallbacks "${fallbacks} + 1")
    elseif(recognised STREQUAL "-")
      set(recognition None)
    else()
      message(FATAL_ERROR "${tsv}: unknown way of recognising a format: ${line}")
    endif()
    string(REPLACE "\"" "\\\"" pattern "${pattern}")

    string(REPLACE " " ";" extension_list "${extensions}")
    string(REPLACE " " ";" mime_list "${mime_types}")
    list(LENGTH extension_list extension_count)
    list(LENGTH mime_list mime_count)
    list(JOIN extension_list "\"sv, \"" extension_items)
    list(JOIN mime_list "\"sv, \"" mime_items)
    string(APPEND cpp_arrays
           "constexpr std::array<std::string_view, ${extension_count}> kExtensions${index}{\"${extension_items}\"sv};\n"
           "constexpr std::array<std::string_view, ${mime_count}> kMimeTypes${index}{\"${mime_items}\"sv};\n")
    if(by_name STREQUAL "name")
      set(by_name_cpp true)
    else()
      set(by_name_cpp false)
    endif()
    if(read_by STREQUAL "helper")
      set(helper_cpp true)
    else()
      set(helper_cpp false)
    endif()
    string(APPEND cpp_rows
           "    {\"${key}\"sv, \"${format_name}\"sv, kExtensions${index}, kMimeTypes${index}, Recognition::${recognition},\n"
           "     \"${pattern}\"sv, ${offset}, ${by_name_cpp}, ${helper_cpp}},\n")

    foreach(mime IN LISTS mime_list)
      string(APPEND desktop "${mime};")
      string(APPEND appstream "    <mediatype>${mime}</mediatype>\n")
    endforeach()
    list(APPEND keys ${key})
    set(LEXARO_FORMAT_EXTENSIONS_${key} ${extension_list} PARENT_SCOPE)
    math(EXPR index "${index} + 1")
  endforeach()
  if(NOT fallbacks EQUAL 1)
    message(FATAL_ERROR "${tsv}: exactly one row is the fallback (found ${fallbacks})")
  endif()
  string(STRIP "${appstream}" appstream)

  set(LEXARO_FORMAT_TABLE_CPP "${cpp_arrays}\nconstexpr std::array<DocumentFormat, ${index}> kFormats{{\n${cpp_rows}}};"
      PARENT_SCOPE)
  set(LEXARO_DESKTOP_MIME_TYPES "${desktop}" PARENT_SCOPE)
  set(LEXARO_APPSTREAM_MEDIATYPES "${appstream}" PARENT_SCOPE)
  set(LEXARO_FORMAT_KEYS ${keys} PARENT_SCOPE)
endfunction()

# LEXARO_NSIS_ASSOCIATE and LEXARO_NSIS_UNASSOCIATE: the installer's "!insertmacro Extension .txt"
# lines and their "UnExtension" counterparts, for every format but those whose keys are given (the
# ones this build cannot read).
function(lexaro_nsis_associations)
  set(associate "")
  set(unassociate "")
  foreach(key IN LISTS LEXARO_FORMAT_KEYS)
    if(key IN_LIST ARGN)
      continue()
    endif()
    foreach(extension IN LISTS LEXARO_FORMAT_EXTENSIONS_${key})
      # Windows associates by the last extension alone: "fb2.zip" would take every ZIP archive.
      if(extension MATCHES "\\.")
        continue()
      endif()
      string(APPEND associate "  !insertmacro Extension .${extension}\n")
      string(APPEND unassociate "  !insertmacro UnExtension .${extension}\n")
    endforeach()
  endforeach()
  set(LEXARO_NSIS_ASSOCIATE "${associate}" PARENT_SCOPE)
  set(LEXARO_NSIS_UNASSOCIATE "${unassociate}" PARENT_SCOPE)
endfunction()
