// Whole-file reading and writing. Every file the user keeps is rewritten
// through WriteFileAtomic, so a crash or a full disk leaves either the old
// file or the new one, never a half-written one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/LargeBuffer.h"
#include "base/Status.h"

namespace zvonar {

bool FileExists(const std::string& path);

// The folder of `path`: "." for a bare name, "/" for a name in the root.
std::string DirectoryOf(const std::string& path);
// The part of `path` after its last "/".
std::string BaseName(const std::string& path);

// Ok for a regular file; otherwise the refusal of `path`, whose type is
// `mode` as stat gives it: "PATH is a FIFO, not a regular file".
Status RequireRegularFile(const std::string& path, unsigned mode);

// Where a write to `path` lands: the file a symbolic link (or a chain of
// them) names, else `path` itself.
std::string ResolveLinks(const std::string& path);

// The most bytes a file of each kind may hold before it is refused unread:
// far more than any real one, so that a damaged or planted file (a sparse
// gigabyte, a runaway log) is told at once instead of filling the memory.
// Settings, register fields, the owners list, opercode.dat and the language
// files:
inline constexpr std::size_t kSettingsFileLimit = std::size_t{4} << 20;
// The abonents book and codetype.dat, which a large firm fills for years:
inline constexpr std::size_t kBookFileLimit = std::size_t{64} << 20;
// Bills, filtered lists and every file read without a kind of its own:
inline constexpr std::size_t kLargeFileLimit = std::size_t{512} << 20;

// The whole content of a file as bytes. Anything but a regular file (a
// FIFO, a device, a directory) is refused without waiting on it, and so is
// a file larger than `maxBytes`: "PATH is larger than 4 MB, more than any
// real file of its kind".
Status ReadWholeFile(const std::string& path, std::string* content, std::size_t maxBytes = kLargeFileLimit);
// The same into memory that fills on huge pages, for a file that may be
// large (a bill).
Status ReadWholeFile(const std::string& path, LargeString* content, std::size_t maxBytes = kLargeFileLimit);

// Everything that can be read from the open descriptor `fd` until its end
// (a pipe included), at most `maxBytes`; `name` names it in messages.
Status ReadWholeFd(int fd, const std::string& name, std::string* content,
                   std::size_t maxBytes = static_cast<std::size_t>(-1));
Status ReadWholeFd(int fd, const std::string& name, LargeString* content,
                   std::size_t maxBytes = static_cast<std::size_t>(-1));

// Splits text into lines at CR LF, LF or a lone CR. A final line end does not
// start another line, so "a\r\nb\r\n" and "a\r\nb" both give {a, b}.
std::vector<std::string> SplitLines(std::string_view text);

// The lines of a text file (see SplitLines), read by ReadWholeFile.
Status ReadTextLines(const std::string& path, std::vector<std::string>* lines, std::size_t maxBytes = kLargeFileLimit);

// The lines of a text file; a missing file gives no lines and ok.
Status ReadTextLinesIfExists(const std::string& path, std::vector<std::string>* lines,
                             std::size_t maxBytes = kLargeFileLimit);

// Replaces the file at `path` with `content`: writes a temporary file in the
// same directory, flushes it to disk and renames it over the old file. A
// symbolic link stays and its target is replaced; anything but a regular
// file in the way is refused. Temporary files that an earlier, killed write
// of the same file left behind are removed first. On failure the old file
// is untouched and no temporary file remains. With LinkRule::Refuse a
// symbolic link at `path` is refused ("PATH is a symbolic link, not a
// regular file") instead of followed; the rename replaces only the name
// itself, so a link planted meanwhile is replaced, never written through.
enum class LinkRule { Follow, Refuse };
Status WriteFileAtomic(const std::string& path, std::string_view content, LinkRule links = LinkRule::Follow);

// Writes the lines, each ended by CR LF, through WriteFileAtomic.
Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                      LinkRule links = LinkRule::Follow);

// The lines joined, each ended by CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace zvonar
