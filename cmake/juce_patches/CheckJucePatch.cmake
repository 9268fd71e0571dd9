# Fails when a patch in PATCHES_DIR no longer applies to its installed module
# (the first folder of the paths it names), or when the copy the build
# compiles (under PATCHED_COPY) does not carry it.
#
#   cmake -DMODULES_DIR=... -DPATCHES_DIR=... -DCOPY_ROOT=... -DPATCHED_COPY=... -P CheckJucePatch.cmake

include(${CMAKE_CURRENT_LIST_DIR}/ApplyJucePatch.cmake)

file(GLOB patch_files ${PATCHES_DIR}/*.patch)
if(NOT patch_files)
    message(FATAL_ERROR "No patches in ${PATCHES_DIR}")
endif()

foreach(patch_file IN LISTS patch_files)
    file(STRINGS ${patch_file} patched_files REGEX "^\\+\\+\\+ b/")
    list(GET patched_files 0 first_file)
    string(REGEX REPLACE "^\\+\\+\\+ b/([^/]*)/.*" "\\1" module "${first_file}")

    kdar7_apply_juce_patch(${MODULES_DIR}/${module} ${patch_file} ${COPY_ROOT})

    foreach(line IN LISTS patched_files)
        string(REGEX REPLACE "^\\+\\+\\+ b/([^\t]*).*" "\\1" file "${line}")
        execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${COPY_ROOT}/${file} ${PATCHED_COPY}/${file}
            RESULT_VARIABLE differs)
        if(NOT differs EQUAL 0)
            message(FATAL_ERROR "The build compiles a ${file} without the patch: configure the build again")
        endif()
    endforeach()
endforeach()
file(REMOVE_RECURSE ${COPY_ROOT})
