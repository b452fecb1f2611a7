# The Windows packages, made after the build (`cmake --build build-win
# --target voltaro5-packages`, which `make windows` runs): in BUILD_DIR,
#   voltaro5-VERSION-win64.zip        voltaro5.exe, voltaro5-sim.exe (stripped,
#                                     SDL2 linked in), README.txt (the player's
#                                     part of README.md), LICENSE.txt
#                                     (CR LF line ends), in a folder voltaro5/
#   voltaro5-VERSION-win64-setup.exe  the installer (installer.nsi)
#
#   cmake -DBUILD_DIR=.. -DSOURCE_DIR=.. -DVERSION=.. -DSTRIP=.. -DICON=..
#         -DGAME=.. -DSIM=.. -DMAKER=.. -P packages.cmake
foreach(name BUILD_DIR SOURCE_DIR VERSION STRIP ICON GAME SIM MAKER)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "packages.cmake: ${name} is not given")
  endif()
endforeach()
find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis is missing (scripts/install-deps.sh windows installs nsis)")
endif()

set(stage ${BUILD_DIR}/package/voltaro5)
file(REMOVE_RECURSE ${BUILD_DIR}/package)
file(MAKE_DIRECTORY ${stage})
foreach(program ${GAME} ${SIM})
  cmake_path(GET program FILENAME name)
  execute_process(COMMAND ${STRIP} -o ${stage}/${name} ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
# Text for Notepad and every other Windows reader: CR LF. The README is its
# player's part (../player_readme.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/../player_readme.cmake)
voltaro5_player_readme(${SOURCE_DIR}/README.md readme)
file(READ ${SOURCE_DIR}/LICENSE licence)
foreach(pair "readme;README.txt" "licence;LICENSE.txt")
  list(GET pair 0 from)
  list(GET pair 1 to)
  string(REPLACE "\r\n" "\n" text "${${from}}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${stage}/${to} "${text}")
endforeach()

set(zip ${BUILD_DIR}/voltaro5-${VERSION}-win64.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip voltaro5
                WORKING_DIRECTORY ${BUILD_DIR}/package COMMAND_ERROR_IS_FATAL ANY)

set(setup ${BUILD_DIR}/voltaro5-${VERSION}-win64-setup.exe)
execute_process(COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DSTAGE=${stage} -DICON=${ICON}
                        "-DMAKER=${MAKER}"
                        -DOUTFILE=${setup} ${CMAKE_CURRENT_LIST_DIR}/installer.nsi
                COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Made ${zip} and ${setup}")
