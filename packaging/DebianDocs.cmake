# The documents every Debian package carries: the copyright file and the changelog, compressed as
# the policy asks (no name or time stamp in the gzip header, so builds are reproducible).
set(_changelog "${CMAKE_CURRENT_BINARY_DIR}/changelog.gz")
add_custom_command(OUTPUT "${_changelog}"
    COMMAND gzip -9nc "${CMAKE_CURRENT_SOURCE_DIR}/changelog" > "${_changelog}"
    DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/changelog"
    COMMENT "Package changelog")
add_custom_target(kt73b_changelog ALL DEPENDS "${_changelog}")
install(FILES copyright "${_changelog}" DESTINATION ${CMAKE_INSTALL_DOCDIR})
