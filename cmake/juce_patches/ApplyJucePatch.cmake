# Copies a JUCE module and applies its patches to the copy, in the order
# given; the module itself is never touched. Used at configure time and, in
# script mode, by the test that checks the patches still apply to the
# installed JUCE:
#
#   cmake -DMODULE_DIR=<stock module> -DPATCH_FILES=<patch;...> -DCOPY_ROOT=<folder> -P ApplyJucePatch.cmake
#
# The copy lands in COPY_ROOT/<module name>; a failure is a fatal error that
# names the patch.

function(kdar7_apply_juce_patches module_dir copy_root)
    get_filename_component(module_name ${module_dir} NAME)
    find_program(KDAR7_PATCH_PROGRAM patch REQUIRED)

    file(REMOVE_RECURSE ${copy_root}/${module_name})
    file(MAKE_DIRECTORY ${copy_root})
    file(COPY ${module_dir} DESTINATION ${copy_root})

    foreach(patch_file IN LISTS ARGN)
        execute_process(
            COMMAND ${KDAR7_PATCH_PROGRAM} -p1 --forward --batch --fuzz=0 --no-backup-if-mismatch -d ${copy_root} -i ${patch_file}
            RESULT_VARIABLE result
            OUTPUT_VARIABLE output
            ERROR_VARIABLE output)

        if(NOT result EQUAL 0)
            file(REMOVE_RECURSE ${copy_root}/${module_name})
            message(FATAL_ERROR "${patch_file} does not apply to ${module_dir}:\n${output}")
        endif()
    endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    kdar7_apply_juce_patches(${MODULE_DIR} ${COPY_ROOT} ${PATCH_FILES})
endif()
