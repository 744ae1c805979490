# Fails when LIBRARY, or any library it needs, is one of the application server's: the
# module reaches the server only through the connection that the host gives it.
execute_process(COMMAND ldd ${LIBRARY} OUTPUT_VARIABLE output RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "ldd failed on ${LIBRARY}")
endif()
if(output MATCHES "(libTavrelServer[^ \t\n]*)")
    message(FATAL_ERROR "${LIBRARY} needs ${CMAKE_MATCH_1}:\n${output}")
endif()
