// Whole-file reading and writing. Every file the user keeps is rewritten
// through WriteFileAtomic, so a crash or a full disk leaves either the old
// file or the new one, never a half-written one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace zvonar {

bool FileExists(const std::string& path);

// Ok for a regular file; otherwise the refusal of `path`, whose type is
// `mode` as stat gives it: "PATH is a FIFO, not a regular file".
Status RequireRegularFile(const std::string& path, unsigned mode);

// Where a write to `path` lands: the file a symbolic link (or a chain of
// them) names, else `path` itself.
std::string ResolveLinks(const std::string& path);

// The whole content of a file as bytes.
Status ReadWholeFile(const std::string& path, std::string* content);

// Everything that can be read from the open descriptor `fd` until its end
// (a pipe included); `name` names it in messages.
Status ReadWholeFd(int fd, const std::string& name, std::string* content);

// Splits text into lines at CR LF, LF or a lone CR. A final line end does not
// start another line, so "a\r\nb\r\n" and "a\r\nb" both give {a, b}.
std::vector<std::string> SplitLines(std::string_view text);

// The lines of a text file (see SplitLines).
Status ReadTextLines(const std::string& path, std::vector<std::string>* lines);

// The lines of a text file; a missing file gives no lines and ok.
Status ReadTextLinesIfExists(const std::string& path, std::vector<std::string>* lines);

// Replaces the file at `path` with `content`: writes a temporary file in the
// same directory, flushes it to disk and renames it over the old file. A
// symbolic link stays and its target is replaced; anything but a regular
// file in the way is refused. Temporary files that an earlier, killed write
// of the same file left behind are removed first. On failure the old file
// is untouched and no temporary file remains.
Status WriteFileAtomic(const std::string& path, std::string_view content);

// Writes the lines, each ended by CR LF, through WriteFileAtomic.
Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

// The lines joined, each ended by CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace zvonar
