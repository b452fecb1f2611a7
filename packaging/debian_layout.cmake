# Run by CPack on the staged install before it packs the Debian package:
# Debian keeps manual pages compressed with gzip -9n (no name, no time stamp)
# and the programs of a game in /usr/games, which is on every player's PATH.
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr")

file(GLOB_RECURSE pages "${root}/share/man/*.6")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot compress ${page}")
  endif()
endforeach()

file(GLOB programs "${root}/bin/*")
file(MAKE_DIRECTORY "${root}/games")
foreach(program IN LISTS programs)
  get_filename_component(name "${program}" NAME)
  file(RENAME "${program}" "${root}/games/${name}")
endforeach()
file(REMOVE_RECURSE "${root}/bin")
