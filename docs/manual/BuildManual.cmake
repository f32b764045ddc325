# cmake -DGROFF=<groff> -DSOURCE=<manual.ms> -DOUTPUT=<file.pdf> -P BuildManual.cmake
# Typesets the user manual as PDF. groff writes to standard output, and the manual's file name has
# a space in it, so the redirection is done here rather than through a shell.
execute_process(COMMAND ${GROFF} -ms -t -Tpdf -dpaper=a4 -P-pa4 ${SOURCE}
  OUTPUT_FILE ${OUTPUT}.tmp
  ERROR_VARIABLE messages
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT}.tmp)
  message(FATAL_ERROR "groff failed (${result}): ${messages}")
endif()
if(messages)
  message(WARNING "groff: ${messages}")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
