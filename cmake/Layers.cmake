# Every library shows only its own headers. Its include root in the build tree holds a single
# link, <folder> -> src/<folder>, so that "link/CommLink.h" resolves only in targets that link
# the link library: a layer that includes one above it fails to build instead of growing a
# dependency nobody chose.
function(vaddex_include_root target folder)
    set(root ${CMAKE_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${folder})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
