# Header-only libraries from Debian's packages: CLI11 for the tools' command
# lines and nlohmann-json for the simulators' web answers. Being headers
# alone, the same files serve the native and the Windows build. A
# cross-build must not search the build machine's /usr/include as a whole
# (its C library headers are not the target's), so the headers are copied
# into a folder of the build's own, which both builds use alike.
#
# Defines the interface target tarnwell_header_only.
set(header_only_folder ${PROJECT_BINARY_DIR}/header-only)
foreach(item CLI nlohmann)
    if(NOT EXISTS /usr/include/${item})
        message(FATAL_ERROR "/usr/include/${item} is missing: scripts/install-deps.sh installs it")
    endif()
    file(COPY /usr/include/${item} DESTINATION ${header_only_folder})
endforeach()
add_library(tarnwell_header_only INTERFACE)
target_include_directories(tarnwell_header_only SYSTEM INTERFACE ${header_only_folder})
