# Run by CPack in its staging folder before it packs: the programs move from usr/bin to
# usr/games, where Debian keeps games, without the compilers' .comment notes (as
# Debian's own packaging strips them).
set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(MAKE_DIRECTORY ${staged}/games)
foreach(program kessivar kessivar-capture)
  execute_process(COMMAND objcopy --remove-section=.comment ${staged}/bin/${program}
                          ${staged}/games/${program}
                  COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${staged}/bin/${program})
endforeach()
file(REMOVE_RECURSE ${staged}/bin)
