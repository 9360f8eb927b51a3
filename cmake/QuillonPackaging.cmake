# The Debian package of the four Linux programs:
#   cmake --build build && (cd build && cpack)
# gives build/quillon_VERSION_ARCH.deb with kvoll, Quillpost, Crier and Quillbox, their
# desktop entries, icons and AppStream entries, manual pages, the copyright
# and the changelog.  scripts/package builds it, checks it (lintian among
# others) and starts each program from it.

set(QUILLON_MAINTAINER "Quillon Project <no-reply@quillon.org>")

# What Debian expects of every package: the copyright in its
# machine-readable form (the licence's text from LICENSE), the changelog and
# a manual page per program, those gzipped without a time stamp.
set(quillon_debian ${PROJECT_SOURCE_DIR}/docs/debian)
set(quillon_man ${PROJECT_SOURCE_DIR}/docs/man)
set(quillon_doc ${CMAKE_BINARY_DIR}/doc)
file(MAKE_DIRECTORY ${quillon_doc})

file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(FIND "${licence}" "Permission is hereby granted" licence_start)
string(SUBSTRING "${licence}" ${licence_start} -1 licence)
string(STRIP "${licence}" licence)
# A licence in the copyright file: every line indented by one blank, an
# empty line written as " .".
string(REPLACE "\n" "\n " licence " ${licence}")
string(REPLACE "\n \n" "\n .\n" QUILLON_LICENCE "${licence}")
configure_file(${quillon_debian}/copyright.in ${quillon_doc}/copyright @ONLY)

execute_process(COMMAND gzip -9nc ${quillon_debian}/changelog
    OUTPUT_FILE ${quillon_doc}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
set(quillon_manual_pages)
foreach(page kvoll.1 Quillpost.1 Crier.1 Quillbox.1)
    execute_process(COMMAND gzip -9nc ${quillon_man}/${page}
        OUTPUT_FILE ${quillon_doc}/${page}.gz COMMAND_ERROR_IS_FATAL ANY)
    list(APPEND quillon_manual_pages ${quillon_doc}/${page}.gz)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${quillon_man}/${page})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/LICENSE ${quillon_debian}/copyright.in ${quillon_debian}/changelog)

install(FILES ${quillon_doc}/copyright ${quillon_doc}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillon)
install(FILES ${quillon_manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUILLON_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLON_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pop-up messages to the computers of a Windows network")
set(CPACK_PACKAGE_DESCRIPTION
    "Three small desktop programs that send the pop-up messages that WinPopUp and
the Windows Messenger service show: kvoll (an address with a history, a
message, Send), Quillpost (one recipient, one message) and Crier (one message
to an address book of hosts and address ranges).  They send through Samba's
smbclient.  Quillbox receives: it shows, keeps and answers the messages that
Samba's smbd hands to its delivery command.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The Qt libraries come from dpkg-shlibdeps; smbclient carries every message;
# the windows of Quillpost and Crier are laid out for Liberation Sans.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "smbclient, fonts-liberation2")
# Quillbox receives through smbd; its spool is made when the package is
# configured, and goes when it is purged.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "samba")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/inbox/debian/postinst ${PROJECT_SOURCE_DIR}/inbox/debian/postrm
    ${PROJECT_SOURCE_DIR}/inbox/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
