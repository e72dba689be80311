# Runs in cpack after the install into the staging folder: the Debian package also links the
# program into /usr/games, where Debian's rules put the programs of its games section
# (/usr/bin/kalmora-launcher stays, for every PATH).
set(games "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/games")
if(NOT EXISTS "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/lib/kalmora-launcher/kalmora-launcher")
  message(FATAL_ERROR "no program in the staging folder ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
file(MAKE_DIRECTORY "${games}")
file(CREATE_LINK ../lib/kalmora-launcher/kalmora-launcher "${games}/kalmora-launcher" SYMBOLIC)
