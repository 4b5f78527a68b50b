# SPDX-License-Identifier: GPL-3.0-or-later
# kelvara_add_test(NAME name LABEL label [QT] SOURCES a.cpp b.cpp LIBS lib1 lib2)
# Builds one GoogleTest executable and registers its cases with CTest under the given label (the subsystem's folder
# name), so that `ctest -L comm` runs one subsystem. QT gives the test a main() that creates a QApplication first;
# such tests run on Qt's offscreen platform. Every test links the shared helpers of tests/support.
function(kelvara_add_test)
    cmake_parse_arguments(T "QT" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
    if(T_QT)
        add_executable(${T_NAME} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp)
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} kelvara_test_support Qt6::Widgets GTest::gtest GTest::gmock)
    else()
        add_executable(${T_NAME} ${T_SOURCES})
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} kelvara_test_support GTest::gtest GTest::gtest_main GTest::gmock)
    endif()
    gtest_discover_tests(${T_NAME}
        PROPERTIES LABELS "${T_LABEL}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
        DISCOVERY_TIMEOUT 60 DISCOVERY_MODE PRE_TEST)
endfunction()
