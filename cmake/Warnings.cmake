# Compiler settings every target of the project shares, as an interface
# library the targets link to.
add_library(tarnwell_options INTERFACE)

# Only flags of the compiler in use: MSVC (and clang-cl, which takes its
# flags) on one side, GCC and Clang on the other.
if(MSVC)
    # /utf-8: the sources are UTF-8 (a test holds non-ASCII digits), whatever
    # the code page of the machine that builds them.
    target_compile_options(tarnwell_options INTERFACE /W4 /permissive- /utf-8)
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
    if(MSVC)
        message(FATAL_ERROR "TARNWELL_SANITIZE needs GCC or Clang (not MSVC or clang-cl): the flags are theirs")
    endif()
    target_compile_options(tarnwell_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(tarnwell_options INTERFACE -fsanitize=address,undefined)
endif()
