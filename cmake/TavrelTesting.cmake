# Helpers for registering tests.
#
# tavrel_add_test(NAME <name> SOURCES <files...> LIBS <targets...>)
#   One test executable, run once by ctest. GUI tests run offscreen.
#
# tavrel_add_db_test(NAME <name> SOURCES <files...> LIBS <targets...>)
#   The same executable is registered three times: <name>_sqlite, <name>_postgres and
#   <name>_remote (PostgreSQL served by a tavrel-server on the loopback address).
#   The test reads TAVREL_TEST_ENGINE to know which engine it runs on. The
#   PostgreSQL runs read the administrative URL from TAVREL_TEST_PG (set by
#   `make test`) and skip only when that variable is unset.
#   NO_REMOTE leaves out <name>_remote, for tests that never reach an application
#   server on a demo database.
#
# tavrel_add_remote_run(<name>)
#   Registers the test <name> of tavrel_add_test once more as <name>_remote, for a test
#   that runs on one engine but whose desk session must also work through tavrel-server.

set(TAVREL_TEST_ENV
    "QT_QPA_PLATFORM=offscreen"
    "LC_ALL=C.UTF-8"
    "TZ=America/Bogota"
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

function(tavrel_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${TAVREL_TEST_ENV}")
endfunction()

function(tavrel_add_remote_run name)
    add_test(NAME ${name}_remote COMMAND ${name})
    set_tests_properties(${name}_remote PROPERTIES
        ENVIRONMENT "${TAVREL_TEST_ENV};TAVREL_TEST_ENGINE=remote"
        SKIP_REGULAR_EXPRESSION "TAVREL_NO_POSTGRES")
endfunction()

function(tavrel_add_db_test)
    cmake_parse_arguments(T "NO_REMOTE" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    set(engines sqlite postgres remote)
    if(T_NO_REMOTE)
        list(REMOVE_ITEM engines remote)
    endif()
    foreach(engine ${engines})
        add_test(NAME ${T_NAME}_${engine} COMMAND ${T_NAME})
        set_tests_properties(${T_NAME}_${engine} PROPERTIES
            ENVIRONMENT "${TAVREL_TEST_ENV};TAVREL_TEST_ENGINE=${engine}"
            SKIP_REGULAR_EXPRESSION "TAVREL_NO_POSTGRES")
    endforeach()
endfunction()
