# One INTERFACE target carries the project's warning set, so every target opts in the same way
# and the "warnings are errors" switch lives in one place.
include_guard(GLOBAL)

option(LEXARO_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

add_library(lexaro_warnings INTERFACE)

set(_lexaro_common_warnings
    -Wall
    -Wextra
    -Wpedantic
    -Wshadow
    -Wnon-virtual-dtor
    -Wcast-align
    -Woverloaded-virtual
    -Wconversion
    -Wnull-dereference
    -Wdouble-promotion
    -Wformat=2
    -Wimplicit-fallthrough)

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND _lexaro_common_warnings -Wmisleading-indentation -Wduplicated-cond
       -Wduplicated-branches -Wlogical-op
       # GCC 12 at -O3 reports std::basic_string::replace from its own headers as an overlapping
       # memcpy (GCC bug 105329), a false positive that would fail every optimised build.
       -Wno-restrict)
endif()

if(MSVC)
  target_compile_options(lexaro_warnings INTERFACE /W4 /permissive-
                                                   $<$<BOOL:${LEXARO_WARNINGS_AS_ERRORS}>:/WX>)
else()
  target_compile_options(lexaro_warnings INTERFACE ${_lexaro_common_warnings}
                                                   $<$<BOOL:${LEXARO_WARNINGS_AS_ERRORS}>:-Werror>)
endif()
