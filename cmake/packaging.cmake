# The Debian package of both programs: ./dev.sh package, or cpack --preset deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mixconv)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "mixconv developers <mixconv@example.jp>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert a terminal program's mail log into a mailbox file")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "mixconv turns the mail log of an old terminal program (NAME.MIX with\n"
       "NAME.TXT, in Shift_JIS) into one mailbox file that mail readers open:\n"
       "either byte for byte as the original converter wrote it, or as MIME\n"
       "mail in UTF-8 for today's readers. It comes as the desktop program\n"
       "mixconv and the command-line program mixconv-cli.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Libraries from what the programs link; the toolkit's X11 plugin and fonts by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic, qt6-translations-l10n")
include(CPack)
