# The framework's warnings are not ours to mend, and drowned ours: its
# headers are system headers to whatever includes them, installed and
# patched alike, and its module sources compile without the one warning GCC
# gives in them, a false alarm on ListenerList's iterator bookkeeping
# (-Wdangling-pointer, 87 times a build). Our own sources, and the lines our
# patches put into the module sources, keep every warning.
#
# Gives kdar7_quiet_framework_sources(target), for a target that compiles
# the framework's module sources.

include(CheckCXXCompilerFlag)

set(KDAR7_JUCE_MODULES juce_core juce_events juce_data_structures juce_graphics juce_gui_basics)

# kdar7_core says the same of both module folders to its own users.
foreach(module IN LISTS KDAR7_JUCE_MODULES)
    set_property(TARGET ${module} APPEND PROPERTY INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${JUCE_MODULES_DIR})
endforeach()

# Compilers without the warning would warn of the option instead.
check_cxx_compiler_flag(-Wdangling-pointer KDAR7_COMPILER_HAS_DANGLING_POINTER_WARNING)

function(kdar7_quiet_framework_sources target)
    if(NOT KDAR7_COMPILER_HAS_DANGLING_POINTER_WARNING)
        return()
    endif()
    foreach(module IN LISTS KDAR7_JUCE_MODULES)
        foreach(library IN ITEMS ${module} kdar7_${module})
            if(TARGET ${library})
                get_target_property(sources ${library} INTERFACE_SOURCES)
                set_property(SOURCE ${sources} TARGET_DIRECTORY ${target} APPEND PROPERTY COMPILE_OPTIONS -Wno-dangling-pointer)
            endif()
        endforeach()
    endforeach()
endfunction()
