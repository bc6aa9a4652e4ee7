// Bytes of the line and of data files as readable text. Telegrams are framed by control characters
// (STX, ETX) and records end in CR LF CR; shown raw they would be invisible or boxes.
#pragma once

#include <QString>
#include <string>

// Control characters appear as their names in angle brackets ("<STX>", "<ETX>", "<CR>" ...), every
// other byte as itself (Latin-1, so no byte is lost or merged).
QString VisibleText(const std::string& bytes);
