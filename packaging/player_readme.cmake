# The README a player gets with the game (the Debian package's documentation,
# the Windows zip's README.txt): the parts of README.md between the lines
# <!-- player:start --> and <!-- player:end -->. Building, testing and
# hardening notes stay in the repository's README alone.
#
#   cmake -DIN=README.md -DOUT=FILE -P player_readme.cmake
# or include() it and call voltaro5_player_readme(IN TEXT_VARIABLE).
function(voltaro5_player_readme in out_var)
  file(READ ${in} rest)
  string(REPLACE "\r\n" "\n" rest "${rest}")
  set(start "<!-- player:start -->\n")
  set(end "<!-- player:end -->\n")
  string(LENGTH "${start}" start_length)
  string(LENGTH "${end}" end_length)
  set(text "")
  string(FIND "${rest}" "${start}" from)
  while(NOT from EQUAL -1)
    math(EXPR from "${from} + ${start_length}")
    string(SUBSTRING "${rest}" ${from} -1 rest)
    string(FIND "${rest}" "${end}" to)
    if(to EQUAL -1)
      message(FATAL_ERROR "${in}: a player:start marker without its player:end")
    endif()
    string(SUBSTRING "${rest}" 0 ${to} part)
    string(STRIP "${part}" part)  # the parts stand apart by one blank line
    if(NOT text STREQUAL "")
      string(APPEND text "\n")
    endif()
    string(APPEND text "${part}\n")
    math(EXPR to "${to} + ${end_length}")
    string(SUBSTRING "${rest}" ${to} -1 rest)
    string(FIND "${rest}" "${start}" from)
  endwhile()
  if(text STREQUAL "")
    message(FATAL_ERROR "${in}: no player's part between <!-- player:start --> and "
                        "<!-- player:end -->")
  endif()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE AND DEFINED IN AND DEFINED OUT)
  voltaro5_player_readme(${IN} text)
  file(WRITE ${OUT} "${text}")
endif()
