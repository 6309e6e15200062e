// The checks a file passes before the program writes it: an output the user
// names (a filtered list, a CSV export, a PDF report, a month summary) never
// lands on one of the program's own files or on a device, and a file a
// command will rewrite at its end is known to be writable before the
// command changes anything.
#pragma once

#include <string>
#include <string_view>

#include "base/Status.h"

namespace zvonar {

// True for a name the program keeps in its data directory: the table of
// any file type and every file named after it ("Tellura.db*", so its redo
// file and any set aside), the index "Tellura.MDX*", the owners list
// "Tellura.dat*", settings.ini, fields.dat, abonents.dat, codetype.dat,
// opercode.dat, imports.dat, detalization.dat, the table's gate
// ".table-gate", language files (*.lng), lock files (*.lock), redo files
// (*.redo) and the temporary files of an atomic write. Letter case is
// ignored.
bool IsOwnDataFileName(std::string_view name);

// Ok when an output may be written at `path`: a new name, or a regular
// file, that is none of the program's own files of `dataDir`. Own files are
// found by identity (device and inode, so a hard or symbolic link to one is
// found) and by the name the write would land on once links and "." or
// ".." steps are resolved (so a missing index file is found too). Refusals:
// "/dev/full is a device, not a regular file"; "cannot write to PATH: it is
// the program's own file Tellura.dbf".
Status CheckOutputPath(const std::string& path, const std::string& dataDir);

// CheckOutputPath for `written`, the file an output writes, and for
// `named`, the name the user gave when the command added an extension to
// it: a device named ("/dev/full") is refused, not written beside.
Status CheckOutputPath(const std::string& named, const std::string& written, const std::string& dataDir);

// Ok when `path` can be replaced by an atomic write: its folder is
// writable, and the file, when present, is a regular one. Checked before a
// command changes anything, so that the file it rewrites at its end cannot
// fail it after the change.
Status CheckReplaceable(const std::string& path);

}  // namespace zvonar
