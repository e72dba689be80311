# Runs at install time, when the final prefix is known: the entry starts the program through
# the symbolic link in bin/, quoted and escaped as the desktop entry rules ask, so a prefix
# with blanks or quotes still works.
set(link "${KL_PREFIX}/bin/kalmora-launcher")
string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" quoted "${link}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
file(READ "${KL_TEMPLATE}" entry)
string(REPLACE "@EXEC@" "\"${quoted}\"" entry "${entry}")
set(target "$ENV{DESTDIR}${KL_PREFIX}/share/applications/kalmora-launcher.desktop")
file(WRITE "${target}" "${entry}")
message(STATUS "Installing: ${target}")
