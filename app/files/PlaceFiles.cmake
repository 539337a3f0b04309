# Copies the files that lie beside the program: TALVO.HLP always, SEPA0n.TXT only when absent.
if(EXISTS ${SRC}/TALVO.HLP)
  file(COPY_FILE ${SRC}/TALVO.HLP ${DST}/TALVO.HLP ONLY_IF_DIFFERENT)
endif()
foreach(f SEPA01.TXT SEPA02.TXT SEPA03.TXT)
  if(NOT EXISTS ${DST}/${f})
    file(COPY_FILE ${SRC}/${f} ${DST}/${f})
  endif()
endforeach()
