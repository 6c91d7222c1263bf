# CPack runs this on the staged files before it packs them: CPACK_STRIP_FILES strips the symbols,
# this drops the sections dh_strip drops too (.comment, .note), which nothing at run time reads.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*/bin/*")
foreach(program ${programs})
    execute_process(
        COMMAND ${CPACK_TRELVO_STRIP} --remove-section=.comment --remove-section=.note ${program}
        RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot strip ${program}")
    endif()
endforeach()
