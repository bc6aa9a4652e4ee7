// Which file a data-file name given by the user stands for, shared by the file dialogs of the desktop
// program and the commands of kdmxp-cli.
//
// Data files are saved as "NAME.KDM" while the open dialog's default extension is "kdm"; on a file
// system that tells letter cases apart, appending the default extension as typed would miss the file
// the read just saved. A name given without an extension therefore finds the file with the default
// extension in whatever letter case it exists.
#pragma once

#include <string>
#include <string_view>

namespace kdm {

// The file `given` stands for, when data files carry `defaultExtension` (without the dot):
// - `given` itself when something exists under that name, or when its last component has an extension
//   (a dot anywhere in it), existing or not;
// - else "given.EXT" for the first EXT among the letter-case variants of `defaultExtension` under which
//   a file (anything but a directory) exists: all capitals first ("KDM"), then all small letters
//   ("kdm"), then a capital followed by small letters ("Kdm"), then the remaining mixtures;
// - else "given." followed by `defaultExtension` exactly as passed.
// An empty `given` stays empty. Relative names are taken from the current directory. Only stat() is
// used: nothing is opened or created.
std::string ResolveDataFileName(const std::string& given, std::string_view defaultExtension);

// The PDF that printing `dataFile` into a file proposes: in the data file's directory, its name with
// the extension replaced by "pdf" ("/data/r1.KDM" gives "/data/r1.pdf"; "r1" gives "r1.pdf"). Empty for
// an empty name.
std::string PdfNameFor(const std::string& dataFile);

}  // namespace kdm
