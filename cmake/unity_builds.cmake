# Unity builds for developer builds: a target's files compiled a group at a time. The files of the command
# line, of the desktop application's library and of each test program instantiate much the same CLI11,
# json, Qt, GoogleTest and standard library code, which the compiler, the sanitizers and the optimiser
# then work through once per file; in groups, once per group. Measured on two cores (asan preset, no
# compiler cache): the test programs 310 s of compiler time before, 175 s after; the desktop library
# 67 s, 41 s; the optimised command line 232 s, 33 s. Included from the top CMakeLists.txt after the
# last target.
#
# A group hides a missing #include from the files after the one that has it, as a precompiled header
# does. So the options are off in a plain configure (a packager's build compiles every file alone), and
# each program's files are compiled alone, without a precompiled header, in one of the presets: the
# command line's in debug, the desktop library's in release (CMakePresets.json).
option(KDMXP_UNITY_TESTS "Compile the files of each test program in groups" OFF)
option(KDMXP_UNITY_CLI "Compile the command line's files in two groups" OFF)
option(KDMXP_UNITY_GUI "Compile the desktop library's files in groups" OFF)

if(KDMXP_UNITY_TESTS AND KDMXP_TESTS)
    get_property(kdmxp_unity_targets DIRECTORY ${PROJECT_SOURCE_DIR}/tests PROPERTY BUILDSYSTEM_TARGETS)
    if(TARGET gui_tests)
        list(APPEND kdmxp_unity_targets gui_tests)
    endif()
    foreach(target ${kdmxp_unity_targets})
        if(NOT target MATCHES "_tests$")
            continue()
        endif()
        set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
        # Once a file is included into a group, GCC takes its anonymous namespace for a header's and
        # warns that a test class derived from a fixture there has external linkage. Harmless: each
        # group belongs to one program. The files of one program keep their helpers' names apart.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
            target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
        endif()
    endforeach()
endif()

# Two groups for the command line, so that its two slowest files build side by side. Files whose own
# helpers share a name stand in different groups; a new file joins group b.
if(KDMXP_UNITY_CLI AND TARGET kdmxp-cli)
    set(kdmxp_cli_group_a cmd_diff cmd_read cmd_search cmd_set main unknown_command port_option
        stop_signals diff_output)
    get_target_property(kdmxp_cli_sources kdmxp-cli SOURCES)
    foreach(source ${kdmxp_cli_sources})
        get_filename_component(stem ${source} NAME_WE)
        if(stem IN_LIST kdmxp_cli_group_a)
            set_source_files_properties(${source} DIRECTORY ${PROJECT_SOURCE_DIR}/cli
                PROPERTIES UNITY_GROUP a)
        else()
            set_source_files_properties(${source} DIRECTORY ${PROJECT_SOURCE_DIR}/cli
                PROPERTIES UNITY_GROUP b)
        endif()
    endforeach()
    set_target_properties(kdmxp-cli PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
endif()

if(KDMXP_UNITY_GUI AND TARGET kdmxp-gui-lib)
    set_target_properties(kdmxp-gui-lib PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
endif()
