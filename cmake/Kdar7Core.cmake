# The system's own code, compiled once into one static library that the
# program, the tests and the benchmarks link. JUCE is linked PRIVATE so that
# its module sources are compiled here only; its include directories and
# compile definitions are handed on to the library's users.

include(${CMAKE_CURRENT_LIST_DIR}/PatchedJuceModules.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/FrameworkWarnings.cmake)

include(${CMAKE_SOURCE_DIR}/volume_skin/kdar7_volume_skin/Pictures.cmake)

file(GLOB_RECURSE KDAR7_CORE_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/platform/*.cpp
    ${CMAKE_SOURCE_DIR}/volume/*.cpp
    ${CMAKE_SOURCE_DIR}/volume_skin/*.cpp
    ${CMAKE_SOURCE_DIR}/app_lifecycle/*.cpp
    ${CMAKE_SOURCE_DIR}/volume_panel/*.cpp)
# The program's entry point is not part of the library, nor are the two back
# ends of the audio layer: each program links the one it runs on.
list(FILTER KDAR7_CORE_SOURCES EXCLUDE REGEX "/volume_panel/volume_panel/Main\\.cpp$")
list(FILTER KDAR7_CORE_SOURCES EXCLUDE REGEX "/platform/coreaudio/Simulated[^/]*\\.cpp$")
list(FILTER KDAR7_CORE_SOURCES EXCLUDE REGEX "/platform/soundserver/")
list(FILTER KDAR7_CORE_SOURCES EXCLUDE REGEX "/platform/apple_events/SignalsHeldAtLoad\\.cpp$")

add_library(kdar7_core STATIC ${KDAR7_CORE_SOURCES})
target_include_directories(kdar7_core PUBLIC ${CMAKE_SOURCE_DIR})
# The patched modules' folder comes before the installed modules' folder;
# both hold the framework's headers, system headers here and to the
# library's users.
target_include_directories(kdar7_core SYSTEM PUBLIC ${KDAR7_PATCHED_JUCE_ROOT} ${JUCE_MODULES_DIR})
kdar7_quiet_framework_sources(kdar7_core)

target_compile_definitions(kdar7_core PUBLIC
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_STANDALONE_APPLICATION=1)

target_link_libraries(kdar7_core
    PRIVATE
        juce::juce_core
        kdar7_juce_events
        kdar7_juce_data_structures
        kdar7_juce_graphics
        kdar7_juce_gui_basics
    PUBLIC
        juce::juce_recommended_config_flags
        juce::juce_recommended_warning_flags
        PkgConfig::IMAGE_LIBS
        kdar7_skin_pictures)

target_compile_definitions(kdar7_core INTERFACE
    $<TARGET_PROPERTY:kdar7_core,COMPILE_DEFINITIONS>)
target_include_directories(kdar7_core INTERFACE
    $<TARGET_PROPERTY:kdar7_core,INCLUDE_DIRECTORIES>)
set_target_properties(kdar7_core PROPERTIES
    POSITION_INDEPENDENT_CODE TRUE
    VISIBILITY_INLINES_HIDDEN TRUE
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)

# The desktop's signals held from the first code of a program's own: a
# constructor that each program links, and no test program may (its signals
# would wait for a message loop that never takes them).
add_library(kdar7_signals_held_at_load OBJECT ${CMAKE_SOURCE_DIR}/platform/apple_events/SignalsHeldAtLoad.cpp)
target_link_libraries(kdar7_signals_held_at_load PRIVATE kdar7_core)

# The desktop's requests over the session bus.
pkg_check_modules(SYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
target_link_libraries(kdar7_core PRIVATE PkgConfig::SYSTEMD)

# A few questions to the X server that the framework does not ask for us
# (which keys it holds down). JUCE loads the same library at run time.
find_package(X11 REQUIRED)
target_link_libraries(kdar7_core PRIVATE X11::X11)

# The audio layer's back ends. kdar7_core calls the five audio layer
# operations and leaves them undefined; a program links exactly one of these
# libraries whole, so that its definitions are there when kdar7_core is
# resolved after it.
file(GLOB KDAR7_SIMULATED_AUDIO_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/coreaudio/Simulated*.cpp)
add_library(kdar7_simulated_audio_archive STATIC ${KDAR7_SIMULATED_AUDIO_SOURCES})
target_link_libraries(kdar7_simulated_audio_archive PUBLIC kdar7_core)

pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
file(GLOB KDAR7_SOUND_SERVER_AUDIO_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/soundserver/*.cpp)
add_library(kdar7_sound_server_audio_archive STATIC ${KDAR7_SOUND_SERVER_AUDIO_SOURCES})
target_link_libraries(kdar7_sound_server_audio_archive PUBLIC kdar7_core PkgConfig::PULSE)

# The simulated hardware for the tests (and tools that never touch a device),
# the sound server for the program.
add_library(kdar7_simulated_audio INTERFACE)
target_link_libraries(kdar7_simulated_audio INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,kdar7_simulated_audio_archive>")
add_library(kdar7_sound_server_audio INTERFACE)
target_link_libraries(kdar7_sound_server_audio INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,kdar7_sound_server_audio_archive>")
