// What search, read and write share about ports: --port, and the lines that say what each port did when
// a search found nothing.
#pragma once

#include <string>

#include "cli/cli.h"

namespace kdmcli {

// --port: COMn (COM1 to COM30) or an absolute device path; the search then tries that port alone.
// Empty: the usual search. Returns false (after saying why on stderr) for anything else.
bool UseDirectPort(Context& context, const std::string& port);

// Below a failed search's message, on stderr: one line per port tried, saying what became of it.
// Prints nothing when the last search found a device.
void PrintSearchAttempts(Context& context);

}  // namespace kdmcli
