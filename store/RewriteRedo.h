// The redo file of an in-place rewrite. A rewrite of many records (the
// fills) writes them back in runs of megabytes; a program killed inside
// such a write leaves the run cut at a page boundary, and a record lying
// across that boundary half old, half new. So each run is first written
// whole to "<table>.redo" and only then over the records; the redo file is
// removed when the run is in place. The next writer to open the table
// writes the run again, which makes every record whole. Readers never do.
//
// The file: the eight bytes "ZVREDO2\n"; the run's byte offset in the table
// file and its length; the identity of the table it belongs to; the XXH3-64
// of the run's bytes (8 bytes each, little-endian); the run's bytes; and
// "ZVREDO2\n" again. The identity is a hash of the table's header (all but
// its date of change), its file size and the records just before and just
// after the run: what the run does not touch, and what a copy or a rename
// of the same table keeps while another table does not. It guards against
// the program being killed, not against a power loss: nothing is flushed
// to the disk on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Status.h"

namespace zvonar {

std::string RedoPathFor(const std::string& tablePath);

// Writes the redo file of a run of `size` bytes at `offset` of the table,
// whole records of its committed ones.
Status WriteRedo(const std::string& tablePath, std::uint64_t offset, const char* bytes, std::size_t size);
// Removes the redo file once its run is in place.
Status RemoveRedo(const std::string& tablePath);
// Writes the run of the redo file over the table file and removes the redo
// file, when it is complete, its run's checksum holds, it belongs to this
// table and its run lies within the committed records (the header is never
// written). Any other redo file, or anything but a regular file in its
// place, is renamed to "<table>.redo.rejected-<yyyymmdd-hhmmss>" and
// `*setAside` tells why and where (file names only). `*replayed` tells
// whether a run was written. Nothing happens without a redo file. The
// caller holds the table alone.
Status ReplayRedo(const std::string& tablePath, bool* replayed, std::string* setAside);

}  // namespace zvonar
