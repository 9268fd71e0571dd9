# JUCE 7 gives every Linux window a timer at the display's refresh rate that
# runs as long as the window exists, so an idle panel woke the CPU hundreds of
# times a second. The program compiles a patched copy of juce_gui_basics in
# which that timer runs only while there is something to paint or someone
# listens for vblanks (bench/README.md says more). The installed module stays
# as it is: the bare-window benchmark links it as the floor.
#
# Gives kdar7_patched_juce_gui_basics, a drop-in for juce::juce_gui_basics,
# and KDAR7_PATCHED_JUCE_ROOT, the folder to put first on the include path.

include(${CMAKE_CURRENT_LIST_DIR}/juce_patches/ApplyJucePatch.cmake)

set(KDAR7_JUCE_GUI_BASICS_PATCH ${CMAKE_CURRENT_LIST_DIR}/juce_patches/linux-idle-vblank-timer.patch)
set(KDAR7_PATCHED_JUCE_ROOT ${CMAKE_BINARY_DIR}/patched_juce_modules)

# A changed patch configures again and makes a new copy; an unchanged one
# keeps the copy, so that configuring does not recompile the module.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KDAR7_JUCE_GUI_BASICS_PATCH})
file(SHA256 ${KDAR7_JUCE_GUI_BASICS_PATCH} patch_hash)
set(patch_stamp ${KDAR7_PATCHED_JUCE_ROOT}/juce_gui_basics.patch-sha256)
if(EXISTS ${patch_stamp})
    file(READ ${patch_stamp} applied_hash)
endif()
if(NOT applied_hash STREQUAL "${JUCE_MODULES_DIR} ${patch_hash}")
    kdar7_apply_juce_patch(${JUCE_MODULES_DIR}/juce_gui_basics ${KDAR7_JUCE_GUI_BASICS_PATCH} ${KDAR7_PATCHED_JUCE_ROOT})
    file(WRITE ${patch_stamp} "${JUCE_MODULES_DIR} ${patch_hash}")
endif()

# The stock module's target with its sources taken from the copy.
add_library(kdar7_patched_juce_gui_basics INTERFACE)
get_target_property(stock_sources juce_gui_basics INTERFACE_SOURCES)
list(TRANSFORM stock_sources REPLACE "^${JUCE_MODULES_DIR}/" "${KDAR7_PATCHED_JUCE_ROOT}/")
target_sources(kdar7_patched_juce_gui_basics INTERFACE ${stock_sources})
target_include_directories(kdar7_patched_juce_gui_basics INTERFACE ${KDAR7_PATCHED_JUCE_ROOT})
foreach(property INTERFACE_COMPILE_DEFINITIONS INTERFACE_COMPILE_FEATURES INTERFACE_COMPILE_OPTIONS INTERFACE_LINK_LIBRARIES)
    get_target_property(value juce_gui_basics ${property})
    if(value)
        set_property(TARGET kdar7_patched_juce_gui_basics PROPERTY ${property} ${value})
    endif()
endforeach()
