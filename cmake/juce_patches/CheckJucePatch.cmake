# Fails when the patches in PATCHES_DIR no longer apply to their installed
# module (the first folder of the paths each names), applied in the order of
# their names as the build applies them, or when the copy the build compiles
# (under PATCHED_COPY) does not carry them.
#
#   cmake -DMODULES_DIR=... -DPATCHES_DIR=... -DCOPY_ROOT=... -DPATCHED_COPY=... -P CheckJucePatch.cmake

include(${CMAKE_CURRENT_LIST_DIR}/ApplyJucePatch.cmake)

file(GLOB patch_files ${PATCHES_DIR}/*.patch)
if(NOT patch_files)
    message(FATAL_ERROR "No patches in ${PATCHES_DIR}")
endif()

set(modules)
set(patched_lines)
foreach(patch_file IN LISTS patch_files)
    file(STRINGS ${patch_file} patched_files REGEX "^\\+\\+\\+ b/")
    list(GET patched_files 0 first_file)
    string(REGEX REPLACE "^\\+\\+\\+ b/([^/]*)/.*" "\\1" module "${first_file}")
    list(APPEND modules ${module})
    list(APPEND patches_of_${module} ${patch_file})
    list(APPEND patched_lines ${patched_files})
endforeach()
list(REMOVE_DUPLICATES modules)

foreach(module IN LISTS modules)
    kdar7_apply_juce_patches(${MODULES_DIR}/${module} ${COPY_ROOT} ${patches_of_${module}})
endforeach()

foreach(line IN LISTS patched_lines)
    string(REGEX REPLACE "^\\+\\+\\+ b/([^\t]*).*" "\\1" file "${line}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${COPY_ROOT}/${file} ${PATCHED_COPY}/${file}
        RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
        message(FATAL_ERROR "The build compiles a ${file} without the patch: configure the build again")
    endif()
endforeach()
file(REMOVE_RECURSE ${COPY_ROOT})
