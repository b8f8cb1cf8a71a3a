# Read by CPack for each generator of the Windows build: the installer is Lexaro-<version>-setup.exe,
# the zip Lexaro-<version>-portable.zip, whose one folder has the same name.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-portable")
endif()
