# Replays the fuzz corpora in the ordinary build: each tests/fuzz/fuzz_<name>.cpp is linked with a small
# driver instead of libFuzzer and run over corpus/<name>/ and findings/<name>/ (inputs that once broke
# it). Included from tests/CMakeLists.txt; the libFuzzer build itself is tests/fuzz/CMakeLists.txt.
set(KDMXP_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
file(GLOB KDMXP_FUZZ_TARGETS CONFIGURE_DEPENDS ${KDMXP_FUZZ_DIR}/fuzz_*.cpp)
foreach(src ${KDMXP_FUZZ_TARGETS})
    get_filename_component(target ${src} NAME_WE)
    string(REGEX REPLACE "^fuzz_" "" corpus ${target})
    add_executable(replay_${corpus} ${src} ${KDMXP_FUZZ_DIR}/replay_main.cpp)
    target_link_libraries(replay_${corpus} PRIVATE kdmcore)
    target_compile_options(replay_${corpus} PRIVATE ${KDMXP_WARNINGS})
    add_test(NAME replay_${corpus}
             COMMAND replay_${corpus} ${KDMXP_FUZZ_DIR}/corpus/${corpus} ${KDMXP_FUZZ_DIR}/findings/${corpus})
    set_tests_properties(replay_${corpus} PROPERTIES LABELS fuzz)
endforeach()
