// Bytes of the line and of data files as the desktop shows them. Telegrams are framed by control
// characters (STX, ETX) and records end in CR LF CR; shown raw they would be invisible or boxes.
//
// Both are QStrings for display only; what the core calls visible text (kdm::VisibleText,
// link/visible_text.h) is the plain-byte form they are made from.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Control characters appear as their names in angle brackets ("<STX>", "<ETX>", "<CR>" ...), every
// other byte as itself (Latin-1, so no byte is lost or merged). For status lines, printouts, reports.
QString DisplayText(const std::string& bytes);

// A table cell's text: the bytes as Latin-1, control bytes as their control pictures, so that a cell
// stays one line high and each control byte one character wide.
QString CellText(std::string_view text);
