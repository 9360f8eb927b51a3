# quillon_install_program(TARGET NAME): installs a Linux program with what a
# desktop expects beside it, all named after NAME in the calling folder:
# NAME.desktop, org.quillon.NAME.metainfo.xml and icons/NAME.png (48 x 48).
function(quillon_install_program target name)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${name}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES org.quillon.${name}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES icons/${name}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
endfunction()
