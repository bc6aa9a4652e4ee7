# A compiler cache for developer builds. Off in a plain configure, so that a packager's build needs no
# ccache; the developers' presets (CMakePresets.json) turn it on. Included from the top CMakeLists.txt
# before the first target, which takes its compiler launcher from here.
option(KDMXP_CCACHE "Compile through ccache when it is installed" OFF)

# A launcher given on the command line (-DCMAKE_CXX_COMPILER_LAUNCHER=...) is kept as it is.
if(KDMXP_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    find_program(KDMXP_CCACHE_PROGRAM ccache)
    if(KDMXP_CCACHE_PROGRAM)
        # ccache caches a file compiled with a precompiled header (cmake/precompiled_headers.cmake)
        # only when told that the macros defined before the header and __TIME__ and the like are taken
        # care of (ccache's manual, "Precompiled headers"). CMake gives GCC the header with -include,
        # which is what ccache asks for.
        set(CMAKE_CXX_COMPILER_LAUNCHER env CCACHE_SLOPPINESS=pch_defines,time_macros ${KDMXP_CCACHE_PROGRAM})
        message(STATUS "Compiling through ${KDMXP_CCACHE_PROGRAM}")
    else()
        message(STATUS "ccache not found: compiling without a compiler cache")
    endif()
endif()
