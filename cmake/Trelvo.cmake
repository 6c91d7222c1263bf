# Project-wide target helpers: warnings, sanitizers, test registration.

if(TRELVO_SANITIZE)
    add_compile_options(-fsanitize=${TRELVO_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${TRELVO_SANITIZE})
endif()

# Our own code is held to -Werror; third-party headers come in as SYSTEM.
function(trelvo_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# trelvo_library(name [STATIC] SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
function(trelvo_library name)
    cmake_parse_arguments(L "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} STATIC ${L_SOURCES})
    trelvo_defaults(${name})
    target_link_libraries(${name} PUBLIC ${L_PUBLIC_LIBS} PRIVATE ${L_PRIVATE_LIBS})
endfunction()

# trelvo_test(name LABEL unit|integration|e2e SOURCES ... LIBS ... [ENVIRONMENT ...])
# Tests are named "<name>.<Suite>.<Case>", so presets can pick suites by executable.
function(trelvo_test name)
    cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    trelvo_defaults(${name})
    target_link_libraries(${name} PRIVATE ${T_LIBS} trelvo_test_support GTest::gmock GTest::gtest)
    set(env "TRELVO_TEST_FONT=DejaVu Sans" ${T_ENVIRONMENT})
    string(REPLACE ";" "\\;" env "${env}")
    gtest_discover_tests(${name}
        TEST_PREFIX "${name}."
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${T_LABEL} ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()
