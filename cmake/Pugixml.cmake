# pugixml for the dispatch plan's XML. On Linux Debian's libpugixml; the
# Windows build compiles its source, fetched from Debian's pugixml source
# package by scripts/fetch-windows-sources.sh (-DTARNWELL_PUGIXML_DIR names
# the folder holding pugixml.cpp and pugixml.hpp).
#
# Defines the target tarnwell_pugixml.
if(TARGET tarnwell_pugixml)
    return()
endif()
set(TARNWELL_PUGIXML_DIR "" CACHE PATH "Folder holding pugixml.cpp and pugixml.hpp")
if(TARNWELL_PUGIXML_DIR)
    add_library(tarnwell_pugixml STATIC ${TARNWELL_PUGIXML_DIR}/pugixml.cpp)
    target_include_directories(tarnwell_pugixml SYSTEM PUBLIC ${TARNWELL_PUGIXML_DIR})
elseif(CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "A cross-build needs -DTARNWELL_PUGIXML_DIR=<folder with pugixml.cpp> "
                        "(scripts/fetch-windows-sources.sh)")
else()
    find_package(pugixml REQUIRED CONFIG)
    add_library(tarnwell_pugixml INTERFACE)
    target_link_libraries(tarnwell_pugixml INTERFACE pugixml::pugixml)
endif()
