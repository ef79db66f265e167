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
      # Made in the build tree, then installed (file(INSTALL) adds DESTDIR) with fixed
      # permissions: the installer's umask reaches neither the file nor its folders.
      set(zv_made \"${CMAKE_CURRENT_BINARY_DIR}/pkgconfig-install/${name}\")
      configure_file(\"${template}\" \"\${zv_made}\" @ONLY)
      file(INSTALL \"\${zv_made}\"
           DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\"
           FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
           DIR_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
      set(CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_MANIFEST_FILES}\" PARENT_SCOPE)
    endblock()
  " COMPONENT ${ARG_COMPONENT})
endfunction()
