# What a user downloads. On Windows: `cpack -G ZIP` (the windows-download
# presets) packs what `cmake --install` installs, the stripped program, its
# read-me and its licence, into one folder of one zip,
# QuintarConvertor-VERSION-win64.zip.
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_VENDOR Quintar)
    set(CPACK_PACKAGE_FILE_NAME QuintarConvertor-${PROJECT_VERSION}-win64)
    set(CPACK_STRIP_FILES ON)
    # cpack packs what was built and builds nothing more: not the tests.
    set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
    include(CPack)
    return()
endif()

# The Debian package: `cpack -G DEB` in a build configured with
# CMAKE_INSTALL_PREFIX=/usr (the package preset) packs what `cmake --install`
# installs. Its dependencies are worked out from the binaries by
# dpkg-shlibdeps; the menu, the type and the icon caches are brought up to
# date by the triggers of the packages that own them, so it has no
# maintainer scripts.
set(QUINTAR_PACKAGE_MAINTAINER "Quintar <maintainers@quintar.invalid>"
    CACHE STRING "Name and address of the package's maintainer")

set(CPACK_PACKAGE_NAME quintar-convertor)
set(CPACK_PACKAGE_VENDOR Quintar)
set(CPACK_PACKAGE_CONTACT ${QUINTAR_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert Across Lite crosswords into Palm OS databases")
set(CPACK_PACKAGE_DESCRIPTION
    "Quintar Puzzle Convertor wraps crossword puzzles in the Across Lite format\n\
(.puz) into Palm OS stream databases (.pdb) that the handheld's puzzle\n\
reader finds, and hands them to the handheld installer for the next HotSync\n\
operation. Its picker and questions are GTK dialogs on the desktop and a\n\
scriptable dialogue on the terminal.")
set(CPACK_STRIP_FILES ON)
# Folders the install makes get the usual modes, whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

# A plain `cpack` in the build makes the Debian package and nothing else.
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
