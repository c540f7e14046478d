# kt73b_add_host_program(NAME SOURCES ...): a program the build runs on the build machine to make
# files (placeholder images, the icon). A native build compiles it as a target of its own; a cross
# build compiles it with the build machine's C++ compiler, since the target's programs cannot run
# here. Sets NAME_COMMAND for add_custom_command's COMMAND and DEPENDS.
function(kt73b_add_host_program name)
    cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
    if(NOT CMAKE_CROSSCOMPILING)
        add_executable(${name} ${ARG_SOURCES})
        target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PRIVATE kt73b_warnings)
        set(${name}_COMMAND ${name} PARENT_SCOPE)
        return()
    endif()
    find_program(KT73B_HOST_CXX NAMES c++ g++ clang++ NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    set(_sources)
    foreach(_source IN LISTS ARG_SOURCES)
        list(APPEND _sources "${CMAKE_CURRENT_SOURCE_DIR}/${_source}")
    endforeach()
    set(_program "${PROJECT_BINARY_DIR}/host-programs/${name}")
    add_custom_command(OUTPUT "${_program}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/host-programs"
        COMMAND ${KT73B_HOST_CXX} -std=c++20 -O2 -I${PROJECT_SOURCE_DIR} ${_sources}
            -o "${_program}"
        DEPENDS ${_sources}
        COMMENT "Host program ${name}")
    set(${name}_COMMAND "${_program}" PARENT_SCOPE)
endfunction()
