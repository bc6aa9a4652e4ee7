// Every read and write a test makes adds to the device history in $XDG_DATA_HOME. Each test program
// points it at a folder of the build before anything runs, so that no test, however it is started
// (through ctest, by hand, under a debugger), writes into the history of the user who runs it. Tests
// that need a history of their own give their programs another XDG_DATA_HOME.
#include <stdlib.h>

namespace {

[[maybe_unused]] const int kDataHomeConfined = ::setenv("XDG_DATA_HOME", KDMXP_TEST_DATA_HOME, 1);

}  // namespace
