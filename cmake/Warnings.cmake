# Compiler settings every target of the project shares, as an interface
# library the targets link to.
add_library(tarnwell_options INTERFACE)

if(MSVC)
    target_compile_options(tarnwell_options INTERFACE /W4 /permissive-)
    if(TARNWELL_WERROR)
        target_compile_options(tarnwell_options INTERFACE /WX)
    endif()
else()
    target_compile_options(tarnwell_options INTERFACE -Wall -Wextra -Wpedantic)
    # GCC 12 at -O3 reports std::string concatenations of a literal and a
    # string as overlapping copies (-Wrestrict), a known false positive of
    # that release; it would stop every optimised build with -Werror.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
       AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(tarnwell_options INTERFACE -Wno-restrict)
    endif()
    if(TARNWELL_WERROR)
        target_compile_options(tarnwell_options INTERFACE -Werror)
    endif()
endif()

if(TARNWELL_SANITIZE)
    target_compile_options(tarnwell_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(tarnwell_options INTERFACE -fsanitize=address,undefined)
endif()
