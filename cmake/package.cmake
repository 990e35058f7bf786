# The release package of the Windows build: velsetup-<version>-win32.zip with
# both programs (stripped), a read-me for the Windows side and the example
# scripts, every text file with CR LF line ends. Made by `cpack` in the
# Windows build directory (scripts/package.sh).
file(STRINGS ${CMAKE_SOURCE_DIR}/src/version.h VELSETUP_VERSION_LINE
     REGEX "#define VELSETUP_VERSION_TEXT ")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" VELSETUP_VERSION_TEXT "${VELSETUP_VERSION_LINE}")

# Text files as Windows keeps them: CR LF, whatever the source tree has.
set(VELSETUP_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/package-stage)
function(velsetup_stage_text source destination)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${VELSETUP_PACKAGE_STAGE}/${destination} "${text}")
endfunction()

file(REMOVE_RECURSE ${VELSETUP_PACKAGE_STAGE})
configure_file(${CMAKE_SOURCE_DIR}/packaging/README-WINDOWS.txt
               ${CMAKE_BINARY_DIR}/README-WINDOWS.txt @ONLY)
velsetup_stage_text(${CMAKE_BINARY_DIR}/README-WINDOWS.txt README.TXT)
file(GLOB_RECURSE VELSETUP_EXAMPLE_FILES RELATIVE ${CMAKE_SOURCE_DIR}
     CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*)
# The examples carry stand-ins for the maker's CMOS drivers, which only the
# simulated machine accepts; a real machine needs the maker's own files.
list(FILTER VELSETUP_EXAMPLE_FILES EXCLUDE REGEX "\\.(VxD|SYS)$")
foreach(example ${VELSETUP_EXAMPLE_FILES})
  if(example MATCHES "\\.(ini|txt|INI|TXT)$")
    velsetup_stage_text(${CMAKE_SOURCE_DIR}/${example} ${example})
  else()
    get_filename_component(directory ${example} DIRECTORY)
    file(COPY ${CMAKE_SOURCE_DIR}/${example} DESTINATION ${VELSETUP_PACKAGE_STAGE}/${directory})
  endif()
endforeach()

install(TARGETS velsetup velsetup-check RUNTIME DESTINATION .)
install(FILES ${VELSETUP_PACKAGE_STAGE}/README.TXT DESTINATION .)
install(DIRECTORY ${VELSETUP_PACKAGE_STAGE}/examples DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME velsetup)
set(CPACK_PACKAGE_VERSION ${VELSETUP_VERSION_TEXT})
set(CPACK_PACKAGE_FILE_NAME velsetup-${VELSETUP_VERSION_TEXT}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
