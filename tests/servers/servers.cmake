# The local servers the engine tests talk to, as the ctest fixture
# `mok_servers`, and mok_add_server_test() for the tests that need them.
# Included from tests/CMakeLists.txt before its test executables are defined.

if(WIN32)
  set(_mok_default_port_base 18460)  # apart from the native build's ports:
else()                               # both presets may test at once
  set(_mok_default_port_base 18440)
endif()
set(MOK_TEST_PORT_BASE ${_mok_default_port_base} CACHE STRING
    "First of five localhost ports for the test servers (nginx, fault, untrusted, plain http, closed)")
set(MOK_TEST_TIMEOUT 600 CACHE STRING "Seconds one server test may run before it is ended")

set(MOK_TEST_SERVERS_DIR ${CMAKE_CURRENT_LIST_DIR})
set(MOK_TEST_STATE_DIR ${CMAKE_BINARY_DIR}/test-servers)
set(MOK_TEST_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)

math(EXPR _mok_fault_port "${MOK_TEST_PORT_BASE} + 1")
math(EXPR _mok_untrusted_port "${MOK_TEST_PORT_BASE} + 2")
math(EXPR _mok_closed_port "${MOK_TEST_PORT_BASE} + 4")

if(WIN32)
  # Every Win32 test executable defined after this point runs under Wine in
  # the tests' own prefix, bounded in time: some faults make WinINet wait
  # forever. gtest_discover_tests uses the same emulator at build time.
  math(EXPR _mok_wine_seconds "${MOK_TEST_TIMEOUT} - 30")
  set(CMAKE_CROSSCOMPILING_EMULATOR
      bash ${MOK_TEST_SERVERS_DIR}/wine_run.sh ${MOK_TEST_WINE_PREFIX} ${_mok_wine_seconds})
  set(_mok_wine_prefix_arg ${MOK_TEST_WINE_PREFIX})
else()
  set(_mok_wine_prefix_arg "")
endif()

add_test(NAME mok_servers_start
         COMMAND bash ${MOK_TEST_SERVERS_DIR}/fixture_setup.sh
                 ${MOK_TEST_STATE_DIR} ${MOK_TEST_PORT_BASE} ${_mok_wine_prefix_arg})
set_tests_properties(mok_servers_start PROPERTIES FIXTURES_SETUP mok_servers TIMEOUT 600)

add_test(NAME mok_servers_stop
         COMMAND bash ${MOK_TEST_SERVERS_DIR}/fixture_cleanup.sh
                 ${MOK_TEST_STATE_DIR} ${_mok_wine_prefix_arg})
set_tests_properties(mok_servers_stop PROPERTIES FIXTURES_CLEANUP mok_servers TIMEOUT 180)

# What a server test sees; the URLs end with '/'.
set(MOK_TEST_ENVIRONMENT
    MOK_TEST_NGINX_URL=https://localhost:${MOK_TEST_PORT_BASE}/
    MOK_TEST_FAULT_URL=https://localhost:${_mok_fault_port}/
    MOK_TEST_UNTRUSTED_URL=https://localhost:${_mok_untrusted_port}/
    MOK_TEST_CLOSED_PORT_URL=https://localhost:${_mok_closed_port}/
    MOK_TEST_DOCROOT=${MOK_TEST_STATE_DIR}/docroot
    MOK_TEST_CA=${MOK_TEST_STATE_DIR}/ca/ca.pem)
if(WIN32)
  list(APPEND MOK_TEST_ENVIRONMENT
       WINEPREFIX=${MOK_TEST_WINE_PREFIX}
       WINEARCH=win32
       WINEDEBUG=-all
       WINEDLLOVERRIDES=mscoree,mshtml=)
endif()
# WinINet and libcurl honour the proxy variables; the servers are local.
set(MOK_TEST_ENVIRONMENT_MODIFICATION
    http_proxy=unset: https_proxy=unset: no_proxy=unset: all_proxy=unset:
    HTTP_PROXY=unset: HTTPS_PROXY=unset: NO_PROXY=unset: ALL_PROXY=unset:)

# mok_add_server_test(NAME COMMAND command [args...] [KEEP_DISPLAY])
# add_test() that needs the `mok_servers` fixture and gets its environment.
# DISPLAY is removed unless KEEP_DISPLAY is given: a test without a window
# must not open one (a crash under a display would wait on a dialog).
function(mok_add_server_test NAME)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "KEEP_DISPLAY" "" "COMMAND")
  if(NOT ARG_COMMAND)
    message(FATAL_ERROR "mok_add_server_test(${NAME}): COMMAND is required")
  endif()
  set(modification ${MOK_TEST_ENVIRONMENT_MODIFICATION})
  if(NOT ARG_KEEP_DISPLAY)
    list(APPEND modification DISPLAY=unset:)
  endif()
  add_test(NAME ${NAME} COMMAND ${ARG_COMMAND})
  set_tests_properties(${NAME} PROPERTIES
    FIXTURES_REQUIRED mok_servers
    ENVIRONMENT "${MOK_TEST_ENVIRONMENT}"
    ENVIRONMENT_MODIFICATION "${modification}"
    TIMEOUT ${MOK_TEST_TIMEOUT})
endfunction()
