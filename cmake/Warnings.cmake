# Warnings for our own targets only; third-party code keeps its own settings. They are errors
# where we develop (the presets and CI turn KT73B_WERROR on), not where others build with
# compilers and flags we have not tried.
option(KT73B_WERROR "Treat warnings in our own code as errors" OFF)
add_library(kt73b_warnings INTERFACE)
if(MSVC)
    target_compile_options(kt73b_warnings INTERFACE /W4 $<$<BOOL:${KT73B_WERROR}>:/WX>)
else()
    target_compile_options(kt73b_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
        -Wold-style-cast -Wdouble-promotion -Wformat=2 $<$<BOOL:${KT73B_WERROR}>:-Werror>)
endif()
