# Fails when the patch no longer applies to the installed module, or when the
# copy the build compiles (PATCHED_COPY) does not carry it.
#
#   cmake -DMODULE_DIR=... -DPATCH_FILE=... -DCOPY_ROOT=... -DPATCHED_COPY=... -P CheckJucePatch.cmake

include(${CMAKE_CURRENT_LIST_DIR}/ApplyJucePatch.cmake)

kdar7_apply_juce_patch(${MODULE_DIR} ${PATCH_FILE} ${COPY_ROOT})

file(STRINGS ${PATCH_FILE} patched_files REGEX "^\\+\\+\\+ b/")
foreach(line IN LISTS patched_files)
    string(REGEX REPLACE "^\\+\\+\\+ b/([^\t]*).*" "\\1" file "${line}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${COPY_ROOT}/${file} ${PATCHED_COPY}/${file}
        RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
        message(FATAL_ERROR "The build compiles a ${file} without the patch: configure the build again")
    endif()
endforeach()
file(REMOVE_RECURSE ${COPY_ROOT})
