# Settings of the desktop application made at configure time: where the installed help documents are
# and the about box's contact lines. Included at the end of ui/CMakeLists.txt; the help documents
# themselves are built in tools/.
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
