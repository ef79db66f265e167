# Run by cpack after it made the Debian packages (CPACK_POST_BUILD_SCRIPTS), with
# CPACK_PACKAGE_FILES naming them.
#
# CPack adds a postinst and a postrm that only run ldconfig to every package holding a shared
# library under /usr/lib. dpkg's ldconfig trigger (the "triggers" control file) already does
# that job, and those scripts would run the machine's ldconfig even for an install into
# another root (dpkg --instdir). Each such package is unpacked and built again without them,
# by dpkg-deb; nothing else of the package changes.
find_program(ZV_DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND ${ZV_DPKG_DEB} --raw-extract "${deb}" "${tree}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb could not unpack ${deb}")
  endif()
  set(changed FALSE)
  foreach(script postinst postrm)
    set(path "${tree}/DEBIAN/${script}")
    if(EXISTS "${path}")
      file(STRINGS "${path}" lines)
      # Only CPack's own script: a shell line, the ldconfig call and its condition.
      list(FILTER lines EXCLUDE REGEX "^#!/bin/sh$|^set -e$|^if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then$|^[ \t]*ldconfig$|^fi$|^[ \t]*$")
      if(lines)
        message(FATAL_ERROR "${deb}: ${script} does more than call ldconfig: ${lines}")
      endif()
      file(REMOVE "${path}")
      set(changed TRUE)
    endif()
  endforeach()
  if(changed)
    execute_process(COMMAND ${ZV_DPKG_DEB} --root-owner-group -Zxz --build "${tree}" "${deb}"
                    RESULT_VARIABLE rc OUTPUT_QUIET)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "dpkg-deb could not build ${deb} again")
    endif()
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()
