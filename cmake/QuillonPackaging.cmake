# The Debian package of the three Linux programs:
#   cmake --build build && (cd build && cpack)
# gives build/quillon_VERSION_ARCH.deb with kvoll, Quillpost and Crier, their
# desktop entries, icons and AppStream entries.  scripts/package builds it,
# validates it and starts each program from it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillon developers <devel@quillon.invalid>")
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
