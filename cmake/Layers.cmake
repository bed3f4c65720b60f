# Every library shows only its own headers. Its include root in the build tree holds a single
# link, <folder> -> src/<folder>, so that "link/CommLink.h" resolves only in targets that link
# the link library: a layer that includes one above it fails to build instead of growing a
# dependency nobody chose. `scope` is PUBLIC unless given (PRIVATE or INTERFACE).
function(vaddex_include_root target folder)
    set(scope PUBLIC)
    if(ARGC GREATER 2)
        set(scope ${ARGV2})
    endif()
    set(root ${CMAKE_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${folder})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${target} ${scope} ${root})
endfunction()

# The part of a layer that the layers above may use: an include root named `root` whose
# <folder>/ holds links to the listed headers only, so that a header left out (the session
# object, the link record) does not build where it is included from above.
function(vaddex_api_root target root folder)
    set(dir ${CMAKE_BINARY_DIR}/include/${root}/${folder})
    file(REMOVE_RECURSE ${dir})
    file(MAKE_DIRECTORY ${dir})
    foreach(header IN LISTS ARGN)
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder}/${header} ${dir}/${header} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${CMAKE_BINARY_DIR}/include/${root})
endfunction()
