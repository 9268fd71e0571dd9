# Run at install time (cmake --install, any --prefix): writes the desktop
# entry and the D-Bus service file with the installed program's path, which
# is known only then. Expects KDAR7_DESKTOP_ID, KDAR7_DESKTOP_SOURCE_DIR,
# KDAR7_INSTALL_BINDIR and KDAR7_INSTALL_DATADIR (relative or absolute).

foreach(dir IN ITEMS KDAR7_INSTALL_BINDIR KDAR7_INSTALL_DATADIR)
    if(NOT IS_ABSOLUTE "${${dir}}")
        set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
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
    set(target "$ENV{DESTDIR}${KDAR7_INSTALL_DATADIR}/${file}")
    message(STATUS "Installing: ${target}")
    configure_file("${KDAR7_DESKTOP_SOURCE_DIR}/${name}.in" "${target}" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
endforeach()
