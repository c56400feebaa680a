# The fixture that every test run under Wine requires: the code page check.
set(VESTRANE_WINE_FIXTURE vestrane_wine_code_page)
# A second Wine locale, whose ANSI code page is 1252 (an English Windows): tests that must not
# depend on the code page run in it too, with VESTRANE_WINE_LOCALE set to it, and require
# its own check.
set(VESTRANE_SECOND_WINE_LOCALE en_US.UTF-8)
set(VESTRANE_SECOND_CODE_PAGE_FIXTURE vestrane_wine_code_page_1252)

# Properties of every discovered GoogleTest test: under Wine it needs the code page check.
set(VESTRANE_TEST_PROPERTIES TIMEOUT 120)
if(WIN32)
    list(APPEND VESTRANE_TEST_PROPERTIES FIXTURES_REQUIRED ${VESTRANE_WINE_FIXTURE})
endif()

# vestrane_add_test(NAME SOURCES... LIBRARIES...)
# One GoogleTest program. Under MinGW the tests are discovered and run through the Wine
# emulator when ctest starts (PRE_TEST keeps Wine out of the build). A table-driven test is
# named after its row's label (RowLabel), without the printed row. The x86 build only
# compiles and links them: 32-bit code cannot run on these machines.
function(vestrane_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
        return()
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
                         PROPERTIES ${VESTRANE_TEST_PROPERTIES})
endfunction()

# vestrane_add_second_locale_test(TARGET FILTER): the tests of the GoogleTest program TARGET
# that match the filter, as one ctest test named TARGET.code_page_1252, in the second locale.
function(vestrane_add_second_locale_test target filter)
    if(NOT (WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8))
        return()
    endif()
    set(name ${target}.code_page_1252)
    add_test(NAME ${name} COMMAND ${target} --gtest_filter=${filter})
    # A filter that selects nothing fails rather than passing with no test run.
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT VESTRANE_WINE_LOCALE=${VESTRANE_SECOND_WINE_LOCALE}
        FIXTURES_REQUIRED ${VESTRANE_SECOND_CODE_PAGE_FIXTURE}
        FAIL_REGULAR_EXPRESSION "\\[==========\\] 0 tests from"
        TIMEOUT 300)
endfunction()
