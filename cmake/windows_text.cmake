# Writes a text file as Windows shows it: CR LF line ends. With GROFF, IN is a
# manual page and OUT its plain-text rendering (no overstrikes or escapes).
#   cmake -DIN=... -DOUT=... [-DGROFF=groff] -P windows_text.cmake
if(GROFF)
  execute_process(COMMAND ${GROFF} -man -Tascii -P-cbou ${IN}
                  OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "groff could not render ${IN} (${status})")
  endif()
else()
  file(READ ${IN} text)
endif()
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
