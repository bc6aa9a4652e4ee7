# Targets of the desktop application beyond the program itself: the help documents, the screenshot
# helper and the responsiveness benchmark. Included at the end of ui/CMakeLists.txt.
include(GNUInstallDirs)

# Installed help documents, found by the Help menu when they are not beside the program.
target_compile_definitions(kdmxp-gui-lib PRIVATE
    KDMXP_HELP_DIR="${CMAKE_INSTALL_FULL_DATADIR}/kdmxp")

# The maker's contact lines in the about box come from here and nowhere else. The e-mail address
# defaults to the package maintainer's (KDMXP_MAINTAINER when it is set already, else git's user.email),
# the others to nothing; the box leaves an empty one out.
set(KDMXP_DEFAULT_CONTACT_EMAIL "")
if(DEFINED KDMXP_MAINTAINER AND KDMXP_MAINTAINER MATCHES "<([^<> ]+@[^<> ]+)>")
    set(KDMXP_DEFAULT_CONTACT_EMAIL "${CMAKE_MATCH_1}")
else()
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} config user.email
                        OUTPUT_VARIABLE KDMXP_DEFAULT_CONTACT_EMAIL OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
endif()
set(KDMXP_CONTACT_WEB "" CACHE STRING "Web address shown in the about box")
set(KDMXP_CONTACT_EMAIL "${KDMXP_DEFAULT_CONTACT_EMAIL}" CACHE STRING
    "E-mail address shown in the about box (default: the package maintainer's)")
set(KDMXP_CONTACT_PHONE "" CACHE STRING "Telephone number shown in the about box")
set(KDMXP_CONTACT_FAX "" CACHE STRING "Fax number shown in the about box")
foreach(field WEB EMAIL PHONE FAX)
    if(KDMXP_CONTACT_${field} MATCHES "[\"\\\n]")
        message(FATAL_ERROR "KDMXP_CONTACT_${field} must be one line without quotes or backslashes")
    endif()
endforeach()
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/contact.h.in ${CMAKE_CURRENT_BINARY_DIR}/generated/ui/contact.h @ONLY)
target_include_directories(kdmxp-gui-lib PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)

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
# The pages themselves, shown by the help window, sit beside the PDFs in the build tree and installed.
set(KDMXP_HELP_PAGES)
foreach(lang e d)
    set(html ${PROJECT_SOURCE_DIR}/res/help/KDM_Info_${lang}.html)
    set(page ${CMAKE_CURRENT_BINARY_DIR}/KDM_Info_${lang}.html)
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${html} ${page}
        DEPENDS ${html}
        COMMENT "Copying KDM_Info_${lang}.html"
        VERBATIM)
    list(APPEND KDMXP_HELP_PAGES ${page})
endforeach()
add_custom_target(kdmxp-help ALL DEPENDS ${KDMXP_HELP_PDFS} ${KDMXP_HELP_PAGES})
# The program run from the build tree (and the GUI tests that start it) finds its help beside it.
add_dependencies(kdmxp kdmxp-help)
install(FILES ${KDMXP_HELP_PDFS} ${KDMXP_HELP_PAGES} DESTINATION ${CMAKE_INSTALL_DATADIR}/kdmxp)

# Screenshots of the windows for the documentation (scripts/screenshots runs it); not installed.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/shots/main.cpp)
    add_executable(kdmxp-shots ${CMAKE_CURRENT_SOURCE_DIR}/shots/main.cpp)
    target_link_libraries(kdmxp-shots PRIVATE kdmxp-gui-lib)
    target_compile_options(kdmxp-shots PRIVATE ${KDMXP_WARNINGS})
    target_compile_definitions(kdmxp-shots PRIVATE KDMXP_SIM_PATH="$<TARGET_FILE:kdmxp-sim>")
    add_dependencies(kdmxp-shots kdmxp-sim)
    # The port dialog is shown on the tests' fake machine (sysfs and /dev trees), whatever machine this is.
    if(KDMXP_TESTS AND NOT KDMXP_FUZZ)
        target_link_libraries(kdmxp-shots PRIVATE kdmtestsupport)
        target_compile_definitions(kdmxp-shots PRIVATE KDMXP_SHOTS_FAKE_MACHINE)
    endif()
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
