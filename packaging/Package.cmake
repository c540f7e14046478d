# `cpack` in a Linux build makes a Debian package; in the Windows cross build, a zip.
set(CPACK_PACKAGE_NAME kt73b-updater)
set(CPACK_PACKAGE_VENDOR "KT-73B Updater developers")
set(CPACK_PACKAGE_CONTACT
    "KT-73B Updater maintainers <maintainers@users.noreply.c-seed-7eae144c.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for the KT-73B guitar effects device")
# Wrapped by hand: each line becomes one line of the package's description, which Debian wants
# within 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Rewrites the flash of a KT-73B, a USB-MIDI guitar effects device, over MIDI"
    "System Exclusive messages. The firmware is carried inside the programs, so an"
    "update needs nothing but the updater and the device."
    "This package holds the dialog program (kt73b-updater, with a desktop entry),"
    "the same update on the command line (kt73b-update) and a KT-73B in software"
    "on a JACK MIDI client (kt73b-emulator), to try updates without a device.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY kt73b-updater)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME win64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION sound)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
