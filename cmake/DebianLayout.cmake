# Run by CPack on the package's files before it builds the Debian package:
# Debian keeps games in /usr/games, while `cmake --install` puts the program
# in bin/, where a player's own prefix has it on the PATH. The program finds
# its help at <its folder>/../share/quavinto/help either way.
file(GLOB_RECURSE quavinto_programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/quavinto")
foreach(program ${quavinto_programs})
  get_filename_component(bin_dir "${program}" DIRECTORY)
  get_filename_component(prefix "${bin_dir}" DIRECTORY)
  file(MAKE_DIRECTORY "${prefix}/games")
  file(RENAME "${program}" "${prefix}/games/quavinto")
  file(GLOB left "${bin_dir}/*")
  if(NOT left)
    file(REMOVE_RECURSE "${bin_dir}")
  endif()
endforeach()
if(NOT quavinto_programs)
  message(FATAL_ERROR "no bin/quavinto under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
