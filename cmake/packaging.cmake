# Everything a Debian user expects beside the programs, and the Debian package of all that
# `cmake --install` puts in place: man pages, bash completion, the package's copyright and changelog,
# AppStream metadata (the desktop entry, the MIME type and the icons come with the desktop program).
#   cmake --build build --target package      (or: cpack --config build/CPackConfig.cmake)
# The package is written into the build directory, wherever cpack is started.
include(GNUInstallDirs)

# Who answers for the package: its Maintainer field, the changelog's signature and the copyright
# file's contact. Taken from git's user.name and user.email when the first configure finds them.
set(KDMXP_DEFAULT_MAINTAINER "KDM XP developers <kdmxp-dev@lists.kdmxp.invalid>")
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} config user.name
                    OUTPUT_VARIABLE KDMXP_GIT_NAME OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} config user.email
                    OUTPUT_VARIABLE KDMXP_GIT_EMAIL OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(KDMXP_GIT_NAME AND KDMXP_GIT_EMAIL)
        set(KDMXP_DEFAULT_MAINTAINER "${KDMXP_GIT_NAME} <${KDMXP_GIT_EMAIL}>")
    endif()
endif()
set(KDMXP_MAINTAINER "${KDMXP_DEFAULT_MAINTAINER}" CACHE STRING
    "Maintainer of the Debian package, as \"Name <address>\" (default: git's user.name and user.email)")
if(NOT KDMXP_MAINTAINER MATCHES "^[^<>]+ <[^<> ]+@[^<> ]+>$")
    message(FATAL_ERROR "KDMXP_MAINTAINER must read \"Name <address>\", not \"${KDMXP_MAINTAINER}\"")
endif()

set(KDMXP_DOC_BUILD_DIR ${PROJECT_BINARY_DIR}/doc)
file(MAKE_DIRECTORY ${KDMXP_DOC_BUILD_DIR})

# The package's changelog, in Debian's format. Its newest date also dates the man pages, so that two
# builds of one version give the same files.
configure_file(${PROJECT_SOURCE_DIR}/res/debian/changelog.in ${KDMXP_DOC_BUILD_DIR}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/res/debian/copyright.in ${KDMXP_DOC_BUILD_DIR}/copyright @ONLY)
file(STRINGS ${KDMXP_DOC_BUILD_DIR}/changelog KDMXP_CHANGELOG_SIGNATURE REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE "^.*>  " "" KDMXP_RELEASE_DATE "${KDMXP_CHANGELOG_SIGNATURE}")
execute_process(COMMAND date -u -d "${KDMXP_RELEASE_DATE}" +%s
                OUTPUT_VARIABLE KDMXP_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(KDMXP_DATED_ENV ${CMAKE_COMMAND} -E env)
if(KDMXP_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    list(APPEND KDMXP_DATED_ENV SOURCE_DATE_EPOCH=${KDMXP_SOURCE_DATE_EPOCH})
endif()
add_custom_command(OUTPUT ${KDMXP_DOC_BUILD_DIR}/changelog.gz
    COMMAND sh -c "gzip -9 -n -c changelog > changelog.gz"
    DEPENDS ${KDMXP_DOC_BUILD_DIR}/changelog
    WORKING_DIRECTORY ${KDMXP_DOC_BUILD_DIR}
    COMMENT "Compressing the changelog"
    VERBATIM)
set(KDMXP_DOC_FILES ${KDMXP_DOC_BUILD_DIR}/changelog.gz)

# Man pages, written in scdoc; tests/packaging keeps them in step with each program's --help.
set(KDMXP_MAN_PROGRAMS kdmxp-cli kdmxp-sim)
if(TARGET kdmxp)
    list(APPEND KDMXP_MAN_PROGRAMS kdmxp)
endif()
find_program(KDMXP_SCDOC scdoc)
if(KDMXP_SCDOC)
    foreach(program ${KDMXP_MAN_PROGRAMS})
        set(page ${KDMXP_DOC_BUILD_DIR}/${program}.1)
        configure_file(${PROJECT_SOURCE_DIR}/docs/man/${program}.1.scd ${page}.scd @ONLY)
        add_custom_command(OUTPUT ${page} ${page}.gz
            COMMAND ${KDMXP_DATED_ENV} sh -c "'${KDMXP_SCDOC}' < '${page}.scd' > '${page}'"
            COMMAND sh -c "gzip -9 -n -c '${page}' > '${page}.gz'"
            DEPENDS ${page}.scd
            COMMENT "Generating the man page ${program}(1)"
            VERBATIM)
        list(APPEND KDMXP_DOC_FILES ${page}.gz)
        install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
else()
    message(WARNING "scdoc not found: the man pages are not built (scripts/deps installs it)")
endif()
add_custom_target(kdmxp-doc ALL DEPENDS ${KDMXP_DOC_FILES})

install(FILES ${KDMXP_DOC_BUILD_DIR}/copyright ${KDMXP_DOC_BUILD_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/res/completion/kdmxp-cli ${PROJECT_SOURCE_DIR}/res/completion/kdmxp-sim
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
if(TARGET kdmxp)
    install(FILES ${PROJECT_SOURCE_DIR}/res/com.dorvik.kdmxp.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

if(KDMXP_TESTS AND NOT KDMXP_FUZZ)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tests/packaging ${PROJECT_BINARY_DIR}/tests/packaging)
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kdmxp")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Dorvik")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "${KDMXP_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
# Into the build directory, never the directory cpack happens to be started in.
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Library dependencies (Qt, libstdc++) are read from the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The device history is a git repository kept by running the git program; cpack adds the libraries.
# Qt's own dialogs and buttons (file dialogs, Yes/No, Cancel) take their German words from Qt's
# translation package; without it the German interface still starts, with English Qt buttons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "git, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
# Lines of the long description stay under 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads the system and program parameters of Q4400 sheet-detection devices over\n\
an RS232 line, stores them as data files, shows them in tables, prints them and\n\
writes them back into a device. Comes with a command-line tool and a simulated\n\
device for training and trying it without hardware.")
include(CPack)
