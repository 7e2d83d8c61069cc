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
    if(TARNWELL_WERROR)
        target_compile_options(tarnwell_options INTERFACE -Werror)
    endif()
endif()

if(TARNWELL_SANITIZE)
    target_compile_options(tarnwell_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(tarnwell_options INTERFACE -fsanitize=address,undefined)
endif()
