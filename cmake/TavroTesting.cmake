# add_tavro_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [ENV <VAR=value...>])
#
# Builds one Qt Test executable and registers it with CTest. Every test runs with the offscreen
# platform, its own empty XDG folders and a session bus address where nothing listens, so it never sees
# the developer's real data or keyring; tests that need a bus start their own.
function(add_tavro_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE tavro_policy Qt6::Test ${ARG_LIBS})
    add_tavro_test_run(${name} ${name} LABELS ${ARG_LABELS} ENV ${ARG_ENV})
endfunction()

# add_tavro_test_run(<test name> <executable target> [LABELS ...] [ENV ...]): one more run of a test
# program, with temporary XDG folders of its own.
function(add_tavro_test_run name target)
    cmake_parse_arguments(ARG "" "" "LABELS;ENV" ${ARGN})
    add_test(NAME ${name} COMMAND ${target})
    set(root ${CMAKE_CURRENT_BINARY_DIR}/xdg/${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_DATA_HOME=${root}/data;XDG_CONFIG_HOME=${root}/config;XDG_CACHE_HOME=${root}/cache;XDG_RUNTIME_DIR=${root}/run;DBUS_SESSION_BUS_ADDRESS=unix:path=${root}/run/no-bus;TAVRO_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data;${ARG_ENV}"
        LABELS "${ARG_LABELS}"
        TIMEOUT 300)
    file(MAKE_DIRECTORY ${root}/data ${root}/config ${root}/cache ${root}/run)
    file(CHMOD ${root}/run DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()
