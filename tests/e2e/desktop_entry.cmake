# Writes the desktop entry for a program installed in FOLDER, as the build
# writes it for the install prefix's bin folder.
#   cmake -DFOLDER=... -DTEMPLATE=... -DOUTPUT=... -P desktop_entry.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/DesktopEntry.cmake)
quintar_desktop_entry_paths("${FOLDER}" quintar-convertor QUINTAR_ENTRY_EXEC QUINTAR_ENTRY_TRY_EXEC)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
