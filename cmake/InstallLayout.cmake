# Where `cmake --install` and the packages put things: the GNU layout on Linux, with the docs under
# the package's name; on Windows one flat folder (the zip) holding the programs and the README.
if(WIN32)
    set(CMAKE_INSTALL_BINDIR "." CACHE PATH "Programs")
    set(CMAKE_INSTALL_DOCDIR "." CACHE PATH "The README")
else()
    set(CMAKE_INSTALL_DOCDIR "share/doc/kt73b-updater" CACHE PATH "The README and copyright")
endif()
include(GNUInstallDirs)
