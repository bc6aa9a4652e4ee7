# Targets of the desktop application beyond the program itself: the help documents, the screenshot
# helper and the responsiveness benchmark. Included at the end of ui/CMakeLists.txt.
include(GNUInstallDirs)

# Installed help documents, found by the Help menu when they are not beside the program.
target_compile_definitions(kdmxp-gui-lib PRIVATE
    KDMXP_HELP_DIR="${CMAKE_INSTALL_FULL_DATADIR}/kdmxp")

# The help PDFs are made from the HTML pages in res/help at build time, next to the kdmxp executable,
# so the program finds them there when run from the build tree.
add_executable(kdmxp-helpgen ${CMAKE_CURRENT_SOURCE_DIR}/helpgen/main.cpp)
target_link_libraries(kdmxp-helpgen PRIVATE Qt6::Gui)
target_compile_options(kdmxp-helpgen PRIVATE ${KDMXP_WARNINGS})

set(KDMXP_HELP_PDFS)
foreach(lang e d)
    set(html ${PROJECT_SOURCE_DIR}/res/help/KDM_Info_${lang}.html)
    set(pdf ${CMAKE_CURRENT_BINARY_DIR}/KDM_Info_${lang}.pdf)
    add_custom_command(OUTPUT ${pdf}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:kdmxp-helpgen> ${html} ${pdf}
        DEPENDS kdmxp-helpgen ${html}
        COMMENT "Generating KDM_Info_${lang}.pdf"
        VERBATIM)
    list(APPEND KDMXP_HELP_PDFS ${pdf})
endforeach()
add_custom_target(kdmxp-help ALL DEPENDS ${KDMXP_HELP_PDFS})
install(FILES ${KDMXP_HELP_PDFS} DESTINATION ${CMAKE_INSTALL_DATADIR}/kdmxp)

# Screenshots of the windows for the documentation (scripts/screenshots runs it); not installed.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/shots/main.cpp)
    add_executable(kdmxp-shots ${CMAKE_CURRENT_SOURCE_DIR}/shots/main.cpp)
    target_link_libraries(kdmxp-shots PRIVATE kdmxp-gui-lib)
    target_compile_options(kdmxp-shots PRIVATE ${KDMXP_WARNINGS})
    target_compile_definitions(kdmxp-shots PRIVATE KDMXP_SIM_PATH="$<TARGET_FILE:kdmxp-sim>")
    add_dependencies(kdmxp-shots kdmxp-sim)
endif()

# How long the user-interface thread is blocked during a search and a read, and how long the largest
# data file takes to open in a table window.
if(EXISTS ${PROJECT_SOURCE_DIR}/bench/ui/bench_ui.cpp)
    add_executable(bench_ui ${PROJECT_SOURCE_DIR}/bench/ui/bench_ui.cpp)
    target_link_libraries(bench_ui PRIVATE kdmxp-gui-lib)
    target_compile_options(bench_ui PRIVATE ${KDMXP_WARNINGS})
    target_compile_definitions(bench_ui PRIVATE KDMXP_SIM_PATH="$<TARGET_FILE:kdmxp-sim>")
    add_dependencies(bench_ui kdmxp-sim)
endif()
