# Install helpers shared by the programs' folders and packaging/.

include(GNUInstallDirs)

# quenfold_install_gzipped(<file> DESTINATION <dir>)
# Installs <file> compressed as Debian wants manual pages and changelogs:
# gzip -9 with no name or time stamp in the header, so that the compressed
# file changes only when its content does.
function(quenfold_install_gzipped file)
  cmake_parse_arguments(ARG "" "DESTINATION" "" ${ARGN})
  get_filename_component(name ${file} NAME)
  set(staged ${CMAKE_CURRENT_BINARY_DIR}/gzip/${name})
  add_custom_command(OUTPUT ${staged}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/gzip
    COMMAND ${CMAKE_COMMAND} -E copy ${file} ${staged}
    COMMAND gzip -9nf ${staged}
    DEPENDS ${file}
    VERBATIM)
  add_custom_target(gzip-${name} ALL DEPENDS ${staged}.gz)
  install(FILES ${staged}.gz DESTINATION ${ARG_DESTINATION})
endfunction()

# quenfold_add_manpage(<page>.<section>.in)
# Configures a manual page with the project's version into the build tree,
# where tests render it, and installs it compressed.
function(quenfold_add_manpage source)
  get_filename_component(page ${source} NAME_WLE)
  string(REGEX MATCH "[1-9]$" section ${page})
  configure_file(${source} ${CMAKE_CURRENT_BINARY_DIR}/${page} @ONLY)
  quenfold_install_gzipped(${CMAKE_CURRENT_BINARY_DIR}/${page}
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
