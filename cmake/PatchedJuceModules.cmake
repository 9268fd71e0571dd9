# The program compiles patched copies of two JUCE modules. Each patch's
# header says why it exists, what it saves and the framework code it
# touches; juce_patches/README.md says how they fare on later JUCE versions.
#
# - juce_gui_basics: JUCE 7 gives every Linux window a timer at the display's
#   refresh rate that runs as long as the window exists, so an idle panel woke
#   the CPU hundreds of times a second; patched, it runs only while a stream of
#   repaints needs pacing or someone listens for vblanks (ComponentPeer tells
#   the window of listeners), its period is compared in the right unit, a
#   single repaint is painted from a message, and the window flushes its X
#   requests itself, as no tick does it. The window paints nothing while
#   setVisible has it hidden, and does not clear an opaque component's back
#   buffer. It checked the active window every 1.7 s forever; patched, the
#   checks follow each change of focus and then stop. X events that a round
#   trip read into Xlib's queue waited there for the next data on the socket,
#   seconds or for good; patched, the loop handles them before it sleeps. A
#   display whose screen it cannot draw on (8-bit) it kept open, leaking the
#   connection; patched, it closes it as one that does not answer;
# - juce_events: a file descriptor's owner can say that it holds input which
#   poll cannot see (the X events above), and the loop then calls it instead
#   of sleeping. Its timer thread still wakes every 100 ms: that keeps the
#   approximate clock fresh for every thread, which the framework promises.
#   Beside those wakes, the image cache's checks every 2 s cost the idle
#   panel nothing bench/run can see, so they are no longer put off.
#
# A patched module's sources must not be compiled beside the stock ones, so
# every module target that links a patched one is copied too, linking the
# copies instead. The installed modules stay as they are: the bare-window
# benchmark links them as the floor.
#
# Gives kdar7_juce_events, kdar7_juce_data_structures, kdar7_juce_graphics and
# kdar7_juce_gui_basics, drop-ins for the juce:: targets of the same modules,
# and KDAR7_PATCHED_JUCE_ROOT, the folder to put first on the include path.

include(${CMAKE_CURRENT_LIST_DIR}/juce_patches/ApplyJucePatch.cmake)

set(KDAR7_JUCE_PATCHES_DIR ${CMAKE_CURRENT_LIST_DIR}/juce_patches)
set(KDAR7_PATCHED_JUCE_ROOT ${CMAKE_BINARY_DIR}/patched_juce_modules)

# Copies the installed module into KDAR7_PATCHED_JUCE_ROOT and applies the
# patches there, in the order of their names (as the patch check does).
# Changed patches configure again and make a new copy; unchanged ones keep
# the copy, so that configuring does not recompile it.
function(kdar7_patch_juce_module module)
    set(patch_files ${ARGN})
    list(SORT patch_files)
    set(patch_hashes ${JUCE_MODULES_DIR})
    foreach(patch_file IN LISTS patch_files)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${patch_file})
        file(SHA256 ${patch_file} patch_hash)
        list(APPEND patch_hashes ${patch_hash})
    endforeach()
    set(patch_stamp ${KDAR7_PATCHED_JUCE_ROOT}/${module}.patch-sha256)
    if(EXISTS ${patch_stamp})
        file(READ ${patch_stamp} applied_hashes)
    endif()
    if(NOT applied_hashes STREQUAL "${patch_hashes}")
        kdar7_apply_juce_patches(${JUCE_MODULES_DIR}/${module} ${KDAR7_PATCHED_JUCE_ROOT} ${patch_files})
        file(WRITE ${patch_stamp} "${patch_hashes}")
    endif()
endfunction()

# Makes kdar7_<module>, the stock module's target with its sources taken from
# the patched copy when PATCHES are given, and linking the kdar7_ copy of each
# module it links that has one.
function(kdar7_copy_juce_module module)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PATCHES")
    get_target_property(sources ${module} INTERFACE_SOURCES)
    if(arg_PATCHES)
        kdar7_patch_juce_module(${module} ${arg_PATCHES})
        list(TRANSFORM sources REPLACE "^${JUCE_MODULES_DIR}/" "${KDAR7_PATCHED_JUCE_ROOT}/")
    endif()

    add_library(kdar7_${module} INTERFACE)
    set_property(GLOBAL APPEND PROPERTY KDAR7_COPIED_JUCE_MODULES ${module})
    target_sources(kdar7_${module} INTERFACE ${sources})
    target_include_directories(kdar7_${module} INTERFACE ${KDAR7_PATCHED_JUCE_ROOT})
    foreach(property INTERFACE_COMPILE_DEFINITIONS INTERFACE_COMPILE_FEATURES INTERFACE_COMPILE_OPTIONS)
        get_target_property(value ${module} ${property})
        if(value)
            set_property(TARGET kdar7_${module} PROPERTY ${property} ${value})
        endif()
    endforeach()

    get_target_property(stock_links ${module} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS stock_links)
        string(REGEX REPLACE "^juce::" "" linked_module "${link}")
        if(TARGET kdar7_${linked_module})
            target_link_libraries(kdar7_${module} INTERFACE kdar7_${linked_module})
        else()
            target_link_libraries(kdar7_${module} INTERFACE ${link})
        endif()
    endforeach()
endfunction()

# Targets of DIRECTORY and of the folders below it.
function(kdar7_targets_below directory out)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory IN LISTS subdirectories)
        kdar7_targets_below(${subdirectory} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Every target TARGET links, directly or through others, by real name.
function(kdar7_link_closure target out)
    set(closure)
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending item)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
        if(NOT TARGET "${item}")
            continue()
        endif()
        get_target_property(aliased ${item} ALIASED_TARGET)
        if(aliased)
            set(item ${aliased})
        endif()
        if(item IN_LIST closure)
            continue()
        endif()
        list(APPEND closure ${item})
        foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(links ${item} ${property})
            if(links)
                list(APPEND pending ${links})
            endif()
        endforeach()
    endwhile()
    set(${out} ${closure} PARENT_SCOPE)
endfunction()

# A stock module compiled beside the build's copy of it would define the
# same symbols twice, or let one copy win unseen: once every target exists, a
# target whose links reach both fails the configure, naming the modules.
# Programs that link only stock modules (the bare-window floor) are fine.
function(kdar7_check_no_stock_module_beside_its_copy)
    get_property(modules GLOBAL PROPERTY KDAR7_COPIED_JUCE_MODULES)
    kdar7_targets_below(${CMAKE_SOURCE_DIR} targets)
    foreach(target IN LISTS targets)
        kdar7_link_closure(${target} closure)
        set(both)
        foreach(module IN LISTS modules)
            if(module IN_LIST closure AND kdar7_${module} IN_LIST closure)
                list(APPEND both ${module})
            endif()
        endforeach()
        if(both)
            list(JOIN both ", " both)
            message(FATAL_ERROR "${target} links the stock JUCE modules ${both} beside the "
                "build's copies (kdar7_<module>, patched or linking patched ones), through "
                "juce::<module> or a module that links them: link the kdar7_ copies instead, "
                "or copy that module with kdar7_copy_juce_module.")
        endif()
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL kdar7_check_no_stock_module_beside_its_copy)

# Each module after the modules it links.
kdar7_copy_juce_module(juce_events PATCHES ${KDAR7_JUCE_PATCHES_DIR}/linux-event-loop-buffered-input.patch)
kdar7_copy_juce_module(juce_data_structures)
kdar7_copy_juce_module(juce_graphics)
kdar7_copy_juce_module(juce_gui_basics PATCHES
    ${KDAR7_JUCE_PATCHES_DIR}/component-peer-tells-of-vblank-listeners.patch
    ${KDAR7_JUCE_PATCHES_DIR}/linux-unusable-display-closed.patch
    ${KDAR7_JUCE_PATCHES_DIR}/linux-window-flushes-its-requests.patch
    ${KDAR7_JUCE_PATCHES_DIR}/linux-window-hidden-not-painted.patch
    ${KDAR7_JUCE_PATCHES_DIR}/linux-window-opaque-buffer-not-cleared.patch
    ${KDAR7_JUCE_PATCHES_DIR}/linux-window-refresh-rate-compared-in-ms.patch
    ${KDAR7_JUCE_PATCHES_DIR}/linux-window-refresh-timer-on-demand.patch
    ${KDAR7_JUCE_PATCHES_DIR}/linux-window-repaint-painted-from-message.patch
    ${KDAR7_JUCE_PATCHES_DIR}/linux-x-events-read-by-round-trips.patch
    ${KDAR7_JUCE_PATCHES_DIR}/top-level-focus-checks-settle.patch)
