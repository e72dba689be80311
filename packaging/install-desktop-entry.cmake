# Runs at install time, when the final prefix is known: the entry starts the program through
# the symbolic link in bin/, quoted and escaped as the desktop entry rules ask, so a prefix
# with blanks or quotes still works. The template adds the file argument (%f) after the path.
# The install script sets no policies; this file wants the current ones (placeholders in quoted
# text stay as written, quoted arguments of if() are never variable names).
cmake_policy(PUSH)
cmake_policy(VERSION 3.25)
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
# An install made before the desktop id existed wrote kalmora-launcher.desktop, which would show
# a second menu entry; it goes only when it starts this prefix's program, so no other file is lost.
set(old "$ENV{DESTDIR}${KL_PREFIX}/share/applications/kalmora-launcher.desktop")
if(EXISTS "${old}" AND NOT IS_DIRECTORY "${old}")
  file(STRINGS "${old}" old_exec REGEX "^Exec=")
  if(old_exec STREQUAL "Exec=\"${quoted}\"")
    file(REMOVE "${old}")
    message(STATUS "Removed the entry of an earlier install: ${old}")
  endif()
endif()
cmake_policy(POP)
