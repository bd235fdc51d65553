# `make deb`: a Debian binary package of the installed tree, build/zuv_VERSION_amd64.deb,
# its run-time dependencies found by dpkg-shlibdeps.
set(ZUV_DEB_MAINTAINER "zuv.pck developers <zuv@localhost>" CACHE STRING "Maintainer field of the .deb")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zuv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "zuvECom inertial sensors for the data-flow host: zuv.pck and the zuv tool")
set(CPACK_PACKAGE_DESCRIPTION
    "zuv.pck reads IMU, AHRS and INS units that speak the zuvECom binary protocol over a serial port or UDP\nand turns their frames into timestamped samples. The zuv tool runs, records, replays and inspects\nits components without the host; `zuv demo` shows them on a simulated device.")
set(CPACK_PACKAGE_CONTACT "${ZUV_DEB_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libzuvLib.so ships in the package itself, in its private folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CPACK_PACKAGING_INSTALL_PREFIX}/${ZUV_INSTALL_PACKAGEDIR})
# The Python module needs the interpreter it was built for and what it returns; its
# parallel decoding needs dask, which it imports only then.
if(TARGET _zuv)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "python3 (>= ${ZUV_PYTHON_VERSION}), python3 (<< ${ZUV_PYTHON_NEXT_VERSION}), python3-numpy, python3-pandas")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-distributed")
endif()
include(CPack)

# What `make install` and `make deb` build: everything that is installed.
add_custom_target(zuv_installed)
add_dependencies(zuv_installed zuv zuv_pck)
if(TARGET _zuv)
  add_dependencies(zuv_installed _zuv)
endif()
