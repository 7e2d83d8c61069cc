# A Windows cross-build's tests run under Wine: every program CTest starts
# goes through tests/wine/wine-run.sh, which gives it a throw-away copy of
# the build's Wine prefix and finds Qt's and the compiler's DLLs for it.
if(NOT (CMAKE_CROSSCOMPILING AND WIN32) OR CMAKE_CROSSCOMPILING_EMULATOR)
    return()
endif()
find_program(WINE wine)
if(NOT WINE)
    message(STATUS "Wine not found: the Windows tests can be built but not run here")
    return()
endif()

set(dll_folders)
if(TARGET Qt6::Core)
    get_filename_component(qt_prefix ${Qt6_DIR}/../../.. ABSOLUTE)
    list(APPEND dll_folders ${qt_prefix}/bin)
    set(plugin_folder ${qt_prefix}/plugins)
else()
    set(plugin_folder ${PROJECT_BINARY_DIR})
endif()
foreach(dll IN LISTS TARNWELL_RUNTIME_DLLS)
    get_filename_component(folder ${dll} DIRECTORY)
    list(APPEND dll_folders ${folder})
endforeach()
list(REMOVE_DUPLICATES dll_folders)
string(REPLACE ";" ":" dll_folders "${dll_folders}")
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/wine/wine-run.sh
    ${PROJECT_BINARY_DIR}/wineprefix "${dll_folders}" ${plugin_folder})
