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

# The entry's command goes through the session bus too, as menus that
# activate the entry over the bus do: a launcher that runs the command then
# shows a running panel instead of starting a second one, which would end at
# the lock. Without a bus, or without the service file on it, the command
# starts the program itself.
set(KDAR7_PROGRAM "${KDAR7_INSTALL_BINDIR}/kdar7-volume-panel")
# The service file names the program in double quotes, and so does the
# shell command of the desktop entry, inside the entry's own double quotes
# (escaped there as \\"). The characters that would need escaping inside
# them, differently in each, are refused.
if(KDAR7_PROGRAM MATCHES "[\"`$\\\\%\n]")
    message(FATAL_ERROR "cannot install into \"${KDAR7_PROGRAM}\": the path holds one of \" ` $ \\ % or a line break")
endif()
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
