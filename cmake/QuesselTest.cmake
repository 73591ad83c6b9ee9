# quessel_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
#
# Every test runs in a home of its own: temporary XDG folders and data folder, a fixed
# time zone and a UTF-8 locale, so no test reads or writes the developer's real settings.
function(quessel_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    target_compile_definitions(${T_NAME} PRIVATE
        QUESSEL_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
    set(home "${CMAKE_BINARY_DIR}/test-homes/${T_NAME}")
    add_test(NAME ${T_NAME} COMMAND ${CMAKE_COMMAND}
        -DHOME_DIR=${home} -DTEST_EXE=$<TARGET_FILE:${T_NAME}>
        -P ${PROJECT_SOURCE_DIR}/cmake/RunInTempHome.cmake)
    # Browser tests run Chromium headless and keep it off this machine's closed network.
    set(env "LANG=C.UTF-8" "LC_ALL=C.UTF-8" "TZ=Asia/Tokyo" "QT_QPA_PLATFORM=offscreen" "QUESSEL_HEADLESS=1"
        "QUESSEL_BROWSER_ARGS=--disable-quic --disable-background-networking --disable-component-update --disable-sync")
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
