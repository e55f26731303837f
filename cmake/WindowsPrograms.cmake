# Windows builds only: the end-to-end test programs and the release zip.
if(EXISTS ${PROJECT_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()

# The release: a zip of Tunavo.exe, QevoConfig.exe, archsetup.exe,
# tunavo-cli.exe, qevoconfig-cli.exe and README.txt (the install component
# "programs"), made by `cpack` in the build folder. Each program carries its
# manifest and version block as resources.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
  set(TALIQ_RELEASE_BITS 32)
else()
  set(CPACK_SYSTEM_NAME win64)
  set(TALIQ_RELEASE_BITS 64)
endif()
# Plain text for Notepad: CRLF line ends.
configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION . COMPONENT programs)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME taliq-tools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR LURM)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};programs;/")
include(CPack)
