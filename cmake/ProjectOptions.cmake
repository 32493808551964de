# Compiler settings shared by every target of the project.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE
    -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wsuggest-override -Wimplicit-fallthrough)
if(NIVORA_WERROR)
    target_compile_options(project_options INTERFACE -Werror)
endif()

if(NIVORA_SANITIZE)
    set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_compile_options(project_options INTERFACE ${_san})
    target_link_options(project_options INTERFACE ${_san})
endif()

# Coverage for libFuzzer (clang only) with AddressSanitizer and UndefinedBehaviorSanitizer; the
# fuzz targets link -fsanitize=fuzzer themselves.
option(NIVORA_FUZZ "Build the fuzz targets (clang, libFuzzer)" OFF)
if(NIVORA_FUZZ)
    set(_fuzz -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_compile_options(project_options INTERFACE ${_fuzz})
    target_link_options(project_options INTERFACE ${_fuzz})
endif()

# Every executable and library links this one target to get the project's settings.
function(nivora_target target)
    target_link_libraries(${target} PRIVATE project_options)
endfunction()

# Adds every sub-folder of the calling folder that has a CMakeLists.txt, in name order, so a
# module is built as soon as its folder exists. `under` names a sub-folder to look in instead.
function(nivora_add_module_folders)
    cmake_parse_arguments(ARG "" "UNDER" "" ${ARGN})
    set(base ${CMAKE_CURRENT_SOURCE_DIR})
    if(ARG_UNDER)
        set(base ${base}/${ARG_UNDER})
    endif()
    file(GLOB entries LIST_DIRECTORIES true ${base}/*)
    foreach(dir IN LISTS entries)
        if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()
