# Read by CPack for each generator of the Windows build: the installer is Lexaro-<version>-setup.exe;
# the zip (CPACK_ARCHIVE_FILE_NAME) keeps Lexaro-<version> as its one folder.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
