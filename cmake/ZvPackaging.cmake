# Debian packages of this build, made by CPack from the build tree (cpack --config
# CPackConfig.cmake, or scripts/package for both ABIs):
#   zvexe      the programs, the shared libraries, the manual pages and the guides;
#   zvexe-dev  the headers, libzvbase.a, the unversioned library links, the CMake and
#              pkg-config files.
# Every install() rule names its component, runtime or dev: a rule without one would end up in
# neither package.
# The package architecture is that of the build (amd64 for x86_64, i386 for -m32), not that
# of the machine running cpack. Dependencies are computed by dpkg-shlibdeps.

if(ZV_SANITIZE)
  message(STATUS "Sanitized build: no Debian packages are configured")
  return()
endif()
if(NOT CMAKE_LIBRARY_ARCHITECTURE)
  message(STATUS "No multiarch triplet for this toolchain: no Debian packages are configured")
  return()
endif()

# Debian's name of the build's architecture.
set(ZV_DEB_ARCH "")
find_program(ZV_DPKG_ARCHITECTURE dpkg-architecture)
if(ZV_DPKG_ARCHITECTURE)
  execute_process(COMMAND ${ZV_DPKG_ARCHITECTURE} -t${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE ZV_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT ZV_DEB_ARCH)
  set(zv_arches "x86_64-linux-gnu=amd64;i386-linux-gnu=i386;aarch64-linux-gnu=arm64")
  foreach(pair IN LISTS zv_arches)
    if(pair MATCHES "^${CMAKE_LIBRARY_ARCHITECTURE}=(.*)$")
      set(ZV_DEB_ARCH ${CMAKE_MATCH_1})
    endif()
  endforeach()
endif()
if(NOT ZV_DEB_ARCH)
  message(STATUS "No Debian architecture known for ${CMAKE_LIBRARY_ARCHITECTURE}: no Debian packages are configured")
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zvexe)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZVExe developers")
set(CPACK_PACKAGE_CONTACT "ZVExe maintainers <maintainers@users.noreply.c-seed-6596fa3c.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# DESTDIR staging: the install runs with the final prefix, which the generated pkg-config
# files record.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
# The package files go where cpack is asked (-B), under Debian's names: NAME_VERSION_ARCH.deb.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${ZV_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SOURCE zvexe)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The folders cpack makes while staging take the installation's permissions, not the builder's
# umask (a umask of 000 gave folders of mode 0777 in the packages).
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME zvexe)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# A shlibs file for the two libraries (later packages linked against them depend on this
# version or newer); the loader cache is refreshed by dpkg's ldconfig trigger rather than
# by maintainer scripts.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/ZvDebPostBuild.cmake)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "launcher of applications written for the ZORVAN runtime
ZVExe starts an application written for the ZORVAN runtime: it finds the
runtime library, loads it, hands it the application library and runs the
project, ending with the project's return code, or runs the project as a
Unix daemon with --SERVICE.
This package also holds zvinfoexe, which shows and changes the information
block of an application's executable, zvzlw, which compresses and expands
files in the block format of the launcher, and the shared libraries
libzvexternal (the external call interface for host programs in C) and
libhostio (the standard streams and a copy of the environment).")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME zvexe-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "zvexe (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_DEV_DESCRIPTION "development files of ZVExe's libraries
Headers, CMake package and pkg-config files for building against the base
library zvbase (static, libzvbase.a: counted strings, code pages, settings
files, files and paths, Win32-style calls, compression, containers, dates,
messages and error reports), the external call interface libzvexternal and
libhostio.")

# dpkg-shlibdeps must resolve the libraries of the build's architecture (in its multiarch
# directory), not those of the machine running cpack.
set(ZV_CPACK_PROJECT_CONFIG ${CMAKE_BINARY_DIR}/ZvCPackProject.cmake)
file(WRITE ${ZV_CPACK_PROJECT_CONFIG} "\
# Written by cmake/ZvPackaging.cmake: read by cpack before it builds the packages.
set(ENV{DEB_HOST_ARCH} \"${ZV_DEB_ARCH}\")
execute_process(COMMAND dpkg-query -W -f=\\\${Status} libc6:${ZV_DEB_ARCH}
                OUTPUT_VARIABLE zv_libc RESULT_VARIABLE zv_rc ERROR_QUIET)
if(NOT zv_libc MATCHES \"install ok installed\")
  message(FATAL_ERROR \"The ${ZV_DEB_ARCH} C library (libc6:${ZV_DEB_ARCH}) is not installed, so the \"
                      \"dependencies of the ${ZV_DEB_ARCH} packages cannot be computed; \"
                      \"scripts/setup-deps installs it.\")
endif()
")
set(CPACK_PROJECT_CONFIG_FILE ${ZV_CPACK_PROJECT_CONFIG})

include(CPack)
