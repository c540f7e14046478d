# KT73B_SANITIZE=address,undefined or thread: applied to every target of the build, so that
# instrumented and uninstrumented code never mix inside one test binary.
set(KT73B_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined | thread | empty")
if(KT73B_SANITIZE)
    set(_san_flags -fsanitize=${KT73B_SANITIZE} -fno-omit-frame-pointer -g)
    if(KT73B_SANITIZE MATCHES "undefined")
        list(APPEND _san_flags -fno-sanitize-recover=all)
    endif()
    add_compile_options(${_san_flags})
    add_link_options(-fsanitize=${KT73B_SANITIZE})
endif()
