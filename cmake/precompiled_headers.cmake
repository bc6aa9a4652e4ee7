# Precompiled headers for developer builds: GoogleTest and Qt are parsed once per group of targets
# instead of once per file. Off in a plain configure (a packager's build) and in the release preset; the
# debug and asan presets turn it on. Included from the top CMakeLists.txt after the last target.
#
# A precompiled header must not hide a missing #include from the builds that have none. Each group's
# header holds only what every file of the group includes anyway: GoogleTest for the test programs, and
# for the GUI tests also the Qt headers of tests/gui/gui_support.h. The desktop application's library
# includes its Qt classes one by one; the release preset compiles it, the programs and the unit tests
# without precompiled headers, as a packager's build does, so a missing one fails there. Without them,
# too, the optimiser's warnings in the release build are those a packager's build gets: with GoogleTest
# precompiled, GCC 12 at -O2 inlined differently and raised a false -Warray-bounds.
#
# CLI11 and nlohmann json are not precompiled: loading them precompiled costs about what parsing them
# does, and the command line's files spend their time generating the code of the CLI11 and json
# functions they use, which a precompiled header does not save.
option(KDMXP_PCH "Precompile the GoogleTest and Qt headers for the tests and the desktop application" OFF)
if(NOT KDMXP_PCH)
    return()
endif()

# GCC uses a precompiled header only where it was made with the same options that matter (position-
# independent code, sanitizers, standard, warnings as errors); each group below shares those. One
# target of a group makes the header, the others take it (PRECOMPILE_HEADERS_REUSE_FROM); the warning
# -Winvalid-pch that CMake adds turns, with -Werror, a header that does not fit into a failed build.

# The test programs in tests/ (one per area): GoogleTest, made once for all of them.
set(kdmxp_test_targets "")
if(TARGET kdmtestsupport)
    get_property(kdmxp_test_targets DIRECTORY ${PROJECT_SOURCE_DIR}/tests PROPERTY BUILDSYSTEM_TARGETS)
    # A file that includes none of the headers would only pay for loading them.
    set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/test_data_home.cpp
        DIRECTORY ${PROJECT_SOURCE_DIR}/tests PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
endif()
set(kdmxp_pch_owner "")
foreach(target ${kdmxp_test_targets})
    if(NOT target MATCHES "_tests$")
        continue()
    endif()
    if(kdmxp_pch_owner)
        set_target_properties(${target} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM ${kdmxp_pch_owner})
    else()
        set(kdmxp_pch_owner ${target})
        target_precompile_headers(${target} PRIVATE <gtest/gtest.h>)
    endif()
endforeach()

# The desktop application's library: the Qt classes most windows use.
if(TARGET kdmxp-gui-lib)
    target_precompile_headers(kdmxp-gui-lib PRIVATE
        <QAction> <QApplication> <QComboBox> <QCoreApplication> <QDialog> <QDir> <QFile> <QFileDialog>
        <QFileInfo> <QGridLayout> <QHBoxLayout> <QLabel> <QLineEdit> <QMenu> <QMenuBar> <QMessageBox>
        <QObject> <QPainter> <QProgressBar> <QPushButton> <QString> <QStringList> <QTableWidget> <QTimer>
        <QVBoxLayout> <QWidget>)
endif()

# The GUI tests: GoogleTest and the Qt headers of gui_support.h.
if(TARGET gui_tests)
    target_precompile_headers(gui_tests PRIVATE
        <gtest/gtest.h> <QAbstractButton> <QApplication> <QDialog> <QKeyEvent> <QLabel> <QMessageBox>
        <QPointer> <QTemporaryDir> <QTimer> <QWidget>)
    # Neither needs the headers: the tests declare no QObject classes, so moc's file is empty.
    get_target_property(kdmxp_gui_tests_dir gui_tests BINARY_DIR)
    set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/test_data_home.cpp
                                ${kdmxp_gui_tests_dir}/gui_tests_autogen/mocs_compilation.cpp
        DIRECTORY ${PROJECT_SOURCE_DIR}/tests/gui PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
endif()
