# QuorvelSetup.exe, from installer/quorvel.nsi with Debian's makensis. The
# version and the names come from src/app/version.h, like the exe's own.
find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis is missing: run scripts/setup (Debian package nsis)")
endif()
foreach(name COMPANY_NAME COPYRIGHT)
  file(STRINGS ${CMAKE_SOURCE_DIR}/src/app/version.h line REGEX "^#define QUORVEL_${name} \"")
  string(REGEX REPLACE "^#define QUORVEL_${name} \"(.*)\"$" "\\1" QUORVEL_${name} "${line}")
endforeach()

set(QUORVEL_SETUP ${CMAKE_CURRENT_BINARY_DIR}/QuorvelSetup.exe)
add_custom_command(OUTPUT ${QUORVEL_SETUP}
  COMMAND ${MAKENSIS} -V2 -NOCD
    -DVERSION=${QUORVEL_VERSION_TEXT}
    -DVERSION_QUAD=${QUORVEL_VERSION_QUAD}
    "-DCOMPANY=${QUORVEL_COMPANY_NAME}"
    "-DCOPYRIGHT=${QUORVEL_COPYRIGHT}"
    -DPROGRAM_EXE=$<TARGET_FILE:Quorvel>
    -DICON=${CMAKE_SOURCE_DIR}/src/app/art/quorvel.ico
    -DOUTFILE=${QUORVEL_SETUP}
    ${CMAKE_SOURCE_DIR}/installer/quorvel.nsi
  DEPENDS Quorvel ${CMAKE_SOURCE_DIR}/installer/quorvel.nsi ${CMAKE_SOURCE_DIR}/installer/wizard.bmp
    ${CMAKE_SOURCE_DIR}/src/app/art/quorvel.ico
  COMMENT "Building QuorvelSetup.exe"
  VERBATIM)
add_custom_target(QuorvelSetup ALL DEPENDS ${QUORVEL_SETUP})
