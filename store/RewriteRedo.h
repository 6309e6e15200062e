// The redo file of an in-place rewrite. A rewrite of many records (the
// fills) writes them back in runs of megabytes; a program killed inside
// such a write leaves the run cut at a page boundary, and a record lying
// across that boundary half old, half new. So each run is first written
// whole to "<table>.redo" and only then over the records; the redo file is
// removed when the run is in place. Whoever opens the table next and finds
// a complete redo file writes its run again, which makes every record whole;
// an incomplete one was cut before any record was touched and is dropped.
//
// The file: the eight bytes "ZVREDO1\n", the run's byte offset in the table
// file and its length (8 bytes each, little-endian), the run's bytes, and
// "ZVREDO1\n" again. It guards against the program being killed, not against
// a power loss: nothing is flushed to the disk on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Status.h"

namespace zvonar {

std::string RedoPathFor(const std::string& tablePath);

// Writes the redo file of a run of `size` bytes at `offset` of the table.
Status WriteRedo(const std::string& tablePath, std::uint64_t offset, const char* bytes, std::size_t size);
// Removes the redo file once its run is in place.
Status RemoveRedo(const std::string& tablePath);
// Writes the run of a complete redo file over the table file and removes
// it; drops an incomplete one. `*replayed` tells whether a run was written.
// Nothing happens without a redo file. The caller holds the table alone.
Status ReplayRedo(const std::string& tablePath, bool* replayed);

}  // namespace zvonar
