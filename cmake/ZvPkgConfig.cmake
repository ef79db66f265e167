# zv_install_pkgconfig(<template> COMPONENT <component>): installs <template> (a .pc.in file
# using @prefix@, @libdir@, @includedir@ and @PROJECT_VERSION@) into LIBDIR/pkgconfig.
#
# The file is written at install time, so that it names the prefix of the install actually
# made (cmake --install --prefix, or /usr in a package) rather than the configured one; the
# staging directory of a DESTDIR install does not end up in it.
function(zv_install_pkgconfig template)
  cmake_parse_arguments(ARG "" "COMPONENT" "" ${ARGN})
  get_filename_component(name ${template} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  install(CODE "
    block()
      set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
      set(libdir \"\\\${prefix}/${CMAKE_INSTALL_LIBDIR}\")
      set(includedir \"\\\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}\")
      set(PROJECT_VERSION \"${PROJECT_VERSION}\")
      set(zv_pc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/${name}\")
      message(STATUS \"Installing: \${zv_pc}\")
      configure_file(\"${template}\" \"\${zv_pc}\" @ONLY)
      list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${zv_pc}\")
      set(CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_MANIFEST_FILES}\" PARENT_SCOPE)
    endblock()
  " COMPONENT ${ARG_COMPONENT})
endfunction()
