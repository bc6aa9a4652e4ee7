// The help documents "KDM_Info_e.pdf" and "KDM_Info_d.pdf", opened with the desktop's viewer.
#pragma once

#include <string>

inline constexpr const char* kHelpEnglish = "KDM_Info_e.pdf";
inline constexpr const char* kHelpGerman = "KDM_Info_d.pdf";

// Where `fileName` is found: in `directory` (the start-up or current directory), then beside the
// executable, then in the installed share directory (relative to the executable, then the configured
// prefix, then the XDG data directories). Empty when it is nowhere.
std::string FindHelpDocument(const std::string& directory, const char* fileName);

// Opens the document found by FindHelpDocument with the desktop's "open". Silent when the document is
// missing or nothing can open it.
void OpenHelpDocument(const std::string& directory, const char* fileName);
