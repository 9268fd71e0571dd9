# Run at install time (cmake --install, any --prefix): writes the desktop
# entry and the D-Bus service file with the installed program's path, which
# is known only then. Expects KDAR7_DESKTOP_ID, KDAR7_DESKTOP_SOURCE_DIR,
# KDAR7_INSTALL_BINDIR and KDAR7_INSTALL_DATADIR (relative or absolute).

# A relative prefix is taken from the folder cmake --install runs in, as
# the installed files are; the files name the program by its absolute path.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")

foreach(dir IN ITEMS KDAR7_INSTALL_BINDIR KDAR7_INSTALL_DATADIR)
    get_filename_component(${dir} "${${dir}}" ABSOLUTE BASE_DIR "${prefix}")
endforeach()

set(program "${KDAR7_INSTALL_BINDIR}/kdar7-volume-panel")
# Both files take the path in double quotes; the characters that would need
# escaping inside them, differently in each file, are refused.
if(program MATCHES "[\"`$\\\\%\n]")
    message(FATAL_ERROR "cannot install into \"${program}\": the path holds one of \" ` $ \\ % or a line break")
endif()
set(KDAR7_EXEC "\"${program}\"")
string(REPLACE "." "/" KDAR7_OBJECT_PATH "/${KDAR7_DESKTOP_ID}")

foreach(file IN ITEMS
        "applications/${KDAR7_DESKTOP_ID}.desktop"
        "dbus-1/services/${KDAR7_DESKTOP_ID}.service")
    get_filename_component(name "${file}" NAME)
    set(installed "${KDAR7_INSTALL_DATADIR}/${file}")
    message(STATUS "Installing: $ENV{DESTDIR}${installed}")
    configure_file("${KDAR7_DESKTOP_SOURCE_DIR}/${name}.in" "$ENV{DESTDIR}${installed}" @ONLY)
    # Recorded without DESTDIR, as cmake records the other files.
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${installed}")
endforeach()
