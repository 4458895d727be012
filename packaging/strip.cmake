# CPack runs this after installing into its staging folder and before
# packing (CPACK_PRE_BUILD_SCRIPTS): every ELF file there is stripped as
# Debian's dh_strip does it, of its symbols and its .comment and .note
# sections.
find_program(strip_program NAMES strip REQUIRED)
foreach(dir ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
  file(GLOB_RECURSE candidates LIST_DIRECTORIES false ${dir}/*)
  foreach(candidate ${candidates})
    if(IS_SYMLINK ${candidate})
      continue()
    endif()
    file(READ ${candidate} magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
      execute_process(COMMAND ${strip_program} --remove-section=.comment --remove-section=.note --strip-unneeded
                              ${candidate}
                      RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "cannot strip ${candidate}")
      endif()
    endif()
  endforeach()
endforeach()
