# Fails unless the dynamic symbols that LIBRARY defines are exactly the module's
# twelve entry points.
set(expected
    CambiarAltura CambiarTamano CambiarTamanoW
    VMiLoadDll VMiLoadDllW VMiUnLoadDll
    getServerGuidNet getServerGuidNetW getServerNameNet getServerNameNetW
    getServerPublicT getServerPublicTW)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE output RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()

string(REPLACE "\n" ";" lines "${output}")
set(exported)
foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ ]+)$")
        list(APPEND exported ${CMAKE_MATCH_1})
    endif()
endforeach()
list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
    message(FATAL_ERROR "Exported names differ.\n  expected: ${expected}\n  found:    ${exported}")
endif()
message(STATUS "VEdUvura exports exactly the twelve entry points")
