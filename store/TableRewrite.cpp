// Rewriting fields of every record in blocks: the fills of names and of
// code/type texts. Reading and writing a block of records at a time instead
// of one record per edit makes a pass over a million records a matter of
// the disk's speed. Each run of changed records goes through the redo file
// first, so a crash in the middle leaves each record either as it was or,
// once the table is opened again, as rewritten.
#include <algorithm>
#include <cstring>

#include "store/Bytes.h"
#include "store/RewriteRedo.h"
#include "store/Table.h"

namespace zvonar {
namespace {

constexpr std::size_t kRewriteBlockBytes = 4u << 20;

}  // namespace

Status Table::RewriteFields(const std::vector<int>& fields, const FieldRewriteFn& rewrite, const ProgressFn& progress,
                            std::uint32_t* changed) {
  *changed = 0;
  Status s = Post();
  if (s.ok()) s = RequireBrowse();
  if (!s.ok()) return s;
  for (int f : fields) {
    if (f < 0 || f >= FieldCount()) return Status::Invalid("the table has no field " + std::to_string(f + 1));
    if (Field(f).type == FieldType::DateTime)
      return Status::Invalid("field " + Field(f).name + " is a date-time, not a text");
  }
  s = BeginWrite(false);
  if (!s.ok()) return s;

  std::vector<TagIndex*> moved;  // tags over a rewritten field
  for (TagIndex& tag : tags_)
    if (std::find(fields.begin(), fields.end(), tag.field()) != fields.end()) moved.push_back(&tag);

  const std::uint32_t count = dbf_.RecordCount();
  const std::size_t length = dbf_.RecordLength();
  const std::uint32_t perBlock = static_cast<std::uint32_t>(std::max<std::size_t>(1, kRewriteBlockBytes / length));
  std::vector<char> block;
  std::vector<char> before(length);
  FieldRewrite record;
  record.texts.resize(fields.size());
  record.store.resize(fields.size());
  for (std::uint32_t first = 1; first <= count && s.ok(); first += perBlock) {
    const std::uint32_t n = std::min(perBlock, count - first + 1);
    block.resize(n * length);
    s = dbf_.ReadRecords(first, n, block.data());
    std::uint32_t dirtyFirst = n, dirtyLast = 0;  // the run of records to write back
    for (std::uint32_t i = 0; i < n && s.ok(); ++i) {
      char* bytes = &block[i * length];
      if (bytes[0] == kDeletedFlag) continue;
      record.recno = first + i;
      for (std::size_t k = 0; k < fields.size(); ++k) {
        record.texts[k] = TrimmedField(bytes + dbf_.FieldOffset(fields[k]), Field(fields[k]).width);
        record.store[k].reset();
      }
      rewrite(record);
      // A new text may view the record's own bytes: it is read from a copy.
      std::memcpy(before.data(), bytes, length);
      for (std::size_t k = 0; k < fields.size(); ++k) {
        if (!record.store[k]) continue;
        std::string_view text = *record.store[k];
        if (text.data() >= bytes && text.data() < bytes + length)
          text = std::string_view(before.data() + (text.data() - bytes), text.size());
        (void)EncodeField(fields[k], text, bytes);
      }
      if (std::memcmp(before.data(), bytes, length) == 0) continue;
      if (!moved.empty()) {
        bool keyMoved = false;
        for (TagIndex* tag : moved) keyMoved = keyMoved || tag->KeyDiffers(record.recno, bytes);
        if (keyMoved) s = MarkIndexBehind();
        for (TagIndex* tag : moved) {
          if (!tag->KeyDiffers(record.recno, bytes)) continue;
          tag->Remove(record.recno);
          tag->SetKey(record.recno, bytes);
          tag->Insert(record.recno);
        }
      }
      dirtyFirst = std::min(dirtyFirst, i);
      dirtyLast = std::max(dirtyLast, i);
      ++*changed;
    }
    if (s.ok() && dirtyFirst <= dirtyLast) {
      const std::uint32_t runCount = dirtyLast - dirtyFirst + 1;
      const char* run = &block[dirtyFirst * length];
      s = WriteRedo(dbf_.path(), dbf_.OffsetOf(first + dirtyFirst), run, std::size_t{runCount} * length);
      if (s.ok()) s = dbf_.WriteRecords(first + dirtyFirst, runCount, run);
      if (s.ok()) s = RemoveRedo(dbf_.path());
    }
    if (s.ok() && progress) progress(std::min<std::int64_t>(first + n - 1, count), count);
  }
  Status reread = live_ > 0 ? dbf_.ReadRecords(recno_, 1, current_.data()) : Status::Ok();
  EndWrite();
  return s.ok() ? reread : s;
}

}  // namespace zvonar
