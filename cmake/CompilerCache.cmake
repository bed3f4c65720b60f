# Rebuilds after a fresh clone reuse earlier compilations when ccache is installed; a build
# without it is the same, only slower.
find_program(VADDEX_CCACHE ccache)
if(VADDEX_CCACHE)
    foreach(lang C CXX)
        if(NOT CMAKE_${lang}_COMPILER_LAUNCHER AND NOT DEFINED ENV{CMAKE_${lang}_COMPILER_LAUNCHER})
            set(CMAKE_${lang}_COMPILER_LAUNCHER "${VADDEX_CCACHE}")
        endif()
    endforeach()
endif()
