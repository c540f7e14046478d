# Warnings are errors for our own targets only; third-party code keeps its own settings.
add_library(kt73b_warnings INTERFACE)
if(MSVC)
    target_compile_options(kt73b_warnings INTERFACE /W4 /WX)
else()
    target_compile_options(kt73b_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
        -Wold-style-cast -Wdouble-promotion -Wformat=2 -Werror)
endif()
