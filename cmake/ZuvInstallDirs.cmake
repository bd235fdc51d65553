# Install layout: zuv in bin/, zuv.pck with libzuvLib.so in a package folder
# under lib/. The tool finds both through paths relative to itself, so an
# installed tree works from any prefix and can be moved.
include(GNUInstallDirs)
set(ZUV_INSTALL_PACKAGEDIR ${CMAKE_INSTALL_LIBDIR}/zuv)
file(RELATIVE_PATH ZUV_PACKAGEDIR_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/zuv)
# `make install` and `make deb` build only what they install, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
