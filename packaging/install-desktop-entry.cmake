# Runs at install time, when the final prefix is known: the entry starts the program through
# the symbolic link in bin/, quoted and escaped as the desktop entry rules ask, so a prefix
# with blanks or quotes still works. The template adds the file argument (%f) after the path.
# Placeholders in quoted text stay as written whatever the caller's policies.
cmake_policy(PUSH)
cmake_policy(SET CMP0053 NEW)
set(link "${KL_PREFIX}/bin/kalmora-launcher")
string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" quoted "${link}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
file(READ "${KL_TEMPLATE}" entry)
# The id first, so that a prefix that happens to contain its placeholder stays as it is.
string(REPLACE "@KL_APP_ID@" "${KL_APP_ID}" entry "${entry}")
string(REPLACE "@EXEC@" "\"${quoted}\"" entry "${entry}")
set(target "$ENV{DESTDIR}${KL_PREFIX}/share/applications/${KL_APP_ID}.desktop")
file(WRITE "${target}" "${entry}")
message(STATUS "Installing: ${target}")
cmake_policy(POP)
