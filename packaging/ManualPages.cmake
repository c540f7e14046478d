# Manual pages written from the programs' own --help at build time, so they never drift from it;
# the dialog program, which has no options and so no --help, has one written by hand.
set(_dialog_page "${CMAKE_CURRENT_BINARY_DIR}/kt73b-updater.1")
configure_file(kt73b-updater.1.in "${_dialog_page}" @ONLY)
add_custom_command(OUTPUT "${_dialog_page}.gz"
    COMMAND gzip -9nkf "${_dialog_page}"
    DEPENDS "${_dialog_page}"
    COMMENT "Manual page kt73b-updater(1)")
add_custom_target(kt73b-updater_manual_page ALL DEPENDS "${_dialog_page}.gz")
install(FILES "${_dialog_page}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

find_program(KT73B_HELP2MAN help2man)
if(NOT KT73B_HELP2MAN)
    message(WARNING "help2man not found: no manual pages (scripts/install-deps installs it)")
    return()
endif()

# kt73b_add_manual_page(PROGRAM "what it is, for the NAME line")
function(kt73b_add_manual_page program summary)
    set(_page "${CMAKE_CURRENT_BINARY_DIR}/${program}.1")
    add_custom_command(OUTPUT "${_page}.gz"
        COMMAND ${KT73B_HELP2MAN} --no-info --no-discard-stderr
            --version-string=${PROJECT_VERSION} --name=${summary} --section=1
            --output=${_page} $<TARGET_FILE:${program}>
        COMMAND gzip -9nf "${_page}"
        DEPENDS ${program}
        COMMENT "Manual page ${program}(1)")
    add_custom_target(${program}_manual_page ALL DEPENDS "${_page}.gz")
    install(FILES "${_page}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

kt73b_add_manual_page(kt73b-update "update the firmware of a KT-73B over MIDI")
kt73b_add_manual_page(kt73b-emulator "a KT-73B guitar effects device in software, on JACK MIDI")
