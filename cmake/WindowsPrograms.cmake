# Windows builds only: the end-to-end test programs and the release zip.
if(EXISTS ${PROJECT_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()

# The release: a zip of Tunavo.exe, QevoConfig.exe and archsetup.exe (the
# install component "programs"), made by `cpack` in the build folder. Each
# program carries its manifest and version block as resources.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME taliq-tools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR LURM)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};programs;/")
include(CPack)
