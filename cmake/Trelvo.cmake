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

# trelvo_module_properties(target name): a loadable module, <name>.so where programs look for
# modules in the build tree, exporting only its entry point.
function(trelvo_module_properties target name)
    set_target_properties(${target} PROPERTIES
        PREFIX "" OUTPUT_NAME ${name}
        CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
        LIBRARY_OUTPUT_DIRECTORY "${TRELVO_MODULE_DIR}")
    # Everything it uses is linked in, so a missing symbol fails the build, not the dlopen.
    # Sanitizer runtimes come from the executable, hence the exception.
    if(NOT TRELVO_SANITIZE)
        target_link_options(${target} PRIVATE -Wl,--no-undefined)
    endif()
endfunction()

# trelvo_test(name LABEL unit|integration|e2e SOURCES ... LIBS ... [ENVIRONMENT ...])
# Tests are named "<name>.<Suite>.<Case>", so presets can pick suites by executable.
function(trelvo_test name)
    cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    trelvo_defaults(${name})
    target_link_libraries(${name} PRIVATE ${T_LIBS} trelvo_test_support GTest::gmock GTest::gtest)
    # The environment goes through env(1) as the test's launcher: gtest_discover_tests flattens
    # list-valued properties, and the launcher also serves test discovery.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
        "/usr/bin/env;TRELVO_TEST_FONT=DejaVu Sans;${T_ENVIRONMENT}")
    # Parameterised cases are named by index: a printed value (a credential among the
    # fixtures) must not become a test name in every log.
    gtest_discover_tests(${name}
        TEST_PREFIX "${name}."
        NO_PRETTY_VALUES
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${T_LABEL} TIMEOUT 120)
endfunction()

# trelvo_test_folder(prefix LIBS ... [ENVIRONMENT ...]) in a tests/ folder shared by several
# authors: *Tests.cpp become <prefix>_tests (unit), *IntegrationTests.cpp
# <prefix>_integration_tests, *E2ETests.cpp <prefix>_e2e_tests; *Support.cpp go into each.
function(trelvo_test_folder prefix)
    cmake_parse_arguments(F "" "" "LIBS;ENVIRONMENT" ${ARGN})
    file(GLOB unit CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Tests.cpp)
    file(GLOB integration CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*IntegrationTests.cpp)
    file(GLOB e2e CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*E2ETests.cpp)
    file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Support.cpp)
    foreach(file IN LISTS integration e2e)
        list(REMOVE_ITEM unit ${file})
    endforeach()
    foreach(kind unit integration e2e)
        if(kind STREQUAL "unit")
            set(exe ${prefix}_tests)
        else()
            set(exe ${prefix}_${kind}_tests)
        endif()
        if(${kind})
            trelvo_test(${exe} LABEL ${kind} SOURCES ${${kind}} ${support} LIBS ${F_LIBS}
                ENVIRONMENT ${F_ENVIRONMENT})
        endif()
    endforeach()
endfunction()

# Links a target that may not exist yet while the tree is being built up.
function(trelvo_link_if_exists target)
    foreach(lib ${ARGN})
        target_link_libraries(${target} PUBLIC $<TARGET_NAME_IF_EXISTS:${lib}>)
    endforeach()
endfunction()

# trelvo_translations(target [DOMAIN domain] PO_DIR dir [DESTINATION resources-dir] [NO_INSTALL])
# Compiles <dir>/<lang>.po into <resources>/locale/<lang>/LC_MESSAGES/<domain>.mo beside the
# target (the build tree's bundle) and installs them with the shared resources. The domain is
# the target's name unless given: the runtime looks its table up by the executable's name.
find_program(TRELVO_MSGFMT msgfmt REQUIRED)
function(trelvo_translations target)
    cmake_parse_arguments(T "NO_INSTALL" "DOMAIN;PO_DIR;DESTINATION" "" ${ARGN})
    # A target may carry catalogues of several domains (its own and its host's).
    set(name ${target})
    if(T_DOMAIN)
        set(name ${target}.${T_DOMAIN})
    else()
        set(T_DOMAIN ${target})
    endif()
    if(NOT T_DESTINATION)
        set(T_DESTINATION $<TARGET_FILE_DIR:${target}>/Resources)
    endif()
    file(GLOB catalogues CONFIGURE_DEPENDS ${T_PO_DIR}/*.po)
    # Per target, so that two targets of one folder never ship each other's catalogues.
    set(compiled ${CMAKE_CURRENT_BINARY_DIR}/${name}.locale)
    set(outputs)
    set(copies)
    foreach(po ${catalogues})
        get_filename_component(lang ${po} NAME_WE)
        set(mo ${compiled}/${lang}/LC_MESSAGES/${T_DOMAIN}.mo)
        add_custom_command(OUTPUT ${mo}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${compiled}/${lang}/LC_MESSAGES
            COMMAND ${TRELVO_MSGFMT} --check-format --check-domain -o ${mo} ${po}
            DEPENDS ${po}
            COMMENT "Catalogue ${lang} of ${T_DOMAIN}"
            VERBATIM)
        list(APPEND outputs ${mo})
        set(folder ${T_DESTINATION}/locale/${lang}/LC_MESSAGES)
        list(APPEND copies
            COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
            COMMAND ${CMAKE_COMMAND} -E copy ${mo} ${folder}/${T_DOMAIN}.mo)
        if(NOT T_NO_INSTALL)
            install(FILES ${mo}
                DESTINATION ${CMAKE_INSTALL_DATADIR}/${TRELVO_APP_ID}/locale/${lang}/LC_MESSAGES)
        endif()
    endforeach()
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.translations.stamp)
    add_custom_command(OUTPUT ${stamp}
        ${copies}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${outputs}
        VERBATIM)
    string(MAKE_C_IDENTIFIER ${name} custom)
    add_custom_target(${custom}_translations DEPENDS ${stamp})
    add_dependencies(${target} ${custom}_translations)
endfunction()
