# The artwork tool tarnwell-icons runs while building. A native build makes
# it as one of its own targets; a cross-build (Windows from Linux) makes it
# for the build machine as a separate project, with the host's compiler and
# Qt, since the program's own compiler makes programs the build cannot run.
#
# Sets TARNWELL_ICON_TOOL (the program to run) and TARNWELL_ICON_TOOL_TARGET
# (the target to depend on).
if(CMAKE_CROSSCOMPILING)
    include(ExternalProject)
    set(host_folder ${PROJECT_BINARY_DIR}/host-tools)
    set(TARNWELL_ICON_TOOL ${host_folder}/tarnwell-icons)
    ExternalProject_Add(tarnwell_host_icons
        SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/icons
        BINARY_DIR ${host_folder}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=c++
                   -DTARNWELL_WERROR=${TARNWELL_WERROR}
        INSTALL_COMMAND ""
        BUILD_BYPRODUCTS ${TARNWELL_ICON_TOOL}
        BUILD_ALWAYS ON)
    set(TARNWELL_ICON_TOOL_TARGET tarnwell_host_icons)
else()
    add_subdirectory(${PROJECT_SOURCE_DIR}/tools/icons ${PROJECT_BINARY_DIR}/tools/icons)
    set(TARNWELL_ICON_TOOL $<TARGET_FILE:tarnwell-icons>)
    set(TARNWELL_ICON_TOOL_TARGET tarnwell-icons)
endif()
