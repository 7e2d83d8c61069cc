# cpp-httplib for the web simulators' links, the X-Plane stand-in and the
# tests' web servers: upstream's single header from Debian's cpp-httplib
# source package, compiled into each program, on Linux as for Windows.
# Debian's own libcpp-httplib is built with OpenSSL, zlib and brotli, which
# every start of the planner would then load, though the simulators speak
# plain HTTP and most runs never reach one. Compiled here without
# CPPHTTPLIB_OPENSSL_SUPPORT, _ZLIB_SUPPORT or _BROTLI_SUPPORT, the program
# carries no TLS and no compression at all.
#
# The header comes from scripts/fetch-windows-sources.sh, fetched once into
# the cache it keeps outside the checkout (a no-op when already there);
# -DTARNWELL_HTTPLIB_DIR=<folder with httplib.h> names another folder, and
# a cross-build must name one.
#
# Defines the interface target tarnwell_httplib.
set(TARNWELL_HTTPLIB_DIR "" CACHE PATH "Folder holding the header-only httplib.h")
if(NOT EXISTS "${TARNWELL_HTTPLIB_DIR}/httplib.h")
    if(CMAKE_CROSSCOMPILING)
        message(FATAL_ERROR "A cross-build needs -DTARNWELL_HTTPLIB_DIR=<folder with httplib.h> "
                            "(scripts/fetch-windows-sources.sh)")
    endif()
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-windows-sources.sh
                    OUTPUT_VARIABLE fetched RESULT_VARIABLE fetch_status
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX REPLACE "^.*\n" "" fetched "${fetched}")
    if(NOT fetch_status EQUAL 0 OR NOT EXISTS "${fetched}/httplib.h")
        message(FATAL_ERROR "cpp-httplib's header could not be fetched "
                            "(scripts/fetch-windows-sources.sh; scripts/install-deps.sh "
                            "installs what it needs)")
    endif()
    set(TARNWELL_HTTPLIB_DIR "${fetched}" CACHE PATH "Folder holding the header-only httplib.h"
        FORCE)
endif()
message(STATUS "cpp-httplib: ${TARNWELL_HTTPLIB_DIR}/httplib.h")

add_library(tarnwell_httplib INTERFACE)
target_include_directories(tarnwell_httplib SYSTEM BEFORE INTERFACE ${TARNWELL_HTTPLIB_DIR})
if(WIN32)
    target_link_libraries(tarnwell_httplib INTERFACE ws2_32)
else()
    find_package(Threads REQUIRED)
    target_link_libraries(tarnwell_httplib INTERFACE Threads::Threads)
endif()
