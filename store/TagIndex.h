// One index tag of an open table: its key form, and, once the table needs
// the whole order in memory (moves by position, or an index file behind the
// records), the key of every record by record number and the live records
// in key order, equal keys in record-number order. Positions in that order
// are what the record grid moves over; a whole index file is written from it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/LargeBuffer.h"
#include "base/Status.h"
#include "store/DbfFile.h"

namespace zvonar {

class TagIndex {
 public:
  TagIndex(std::string name, int field, const FieldDef& def, int fieldOffset);

  const std::string& name() const { return name_; }
  int field() const { return field_; }
  // 'C' for a text key, 'D' for a date-time key.
  char KeyType() const { return type_ == FieldType::DateTime ? 'D' : 'C'; }
  int KeyLength() const { return keyLength_; }

  // Key slots for records 1 .. `records`; keys of new slots are unset.
  void Resize(std::uint32_t records);
  // Room for the keys of records 1 .. `records` without moving them again.
  void Reserve(std::uint32_t records) { keys_.reserve(std::size_t{records} * keyLength_); }
  std::uint32_t Slots() const { return static_cast<std::uint32_t>(keys_.size() / keyLength_); }
  // The key `record` gives, KeyLength() bytes that compare with memcmp as
  // the key order does.
  void RecordKey(const char* record, char* out) const { MakeKey(record, out); }
  // Takes the key of record `recno` from its record bytes.
  void SetKey(std::uint32_t recno, const char* record);
  // True when `record` would give record `recno` another key.
  bool KeyDiffers(std::uint32_t recno, const char* record) const;
  // True when records `a` and `b` have other keys.
  bool KeysDiffer(const char* a, const char* b) const;

  std::uint32_t size() const { return static_cast<std::uint32_t>(order_.size()); }
  std::uint32_t RecnoAt(std::uint32_t position) const { return order_[position]; }
  // Position of live record `recno` in key order.
  std::uint32_t PositionOf(std::uint32_t recno) const;
  // First position whose key is at or after `key` (a key as KeyFromText makes it).
  std::uint32_t LowerBound(std::string_view key) const;

  void Insert(std::uint32_t recno);
  void Remove(std::uint32_t recno);
  // Adds live records whose keys are set, with one sort and one merge.
  void Merge(std::span<const std::uint32_t> recnos);
  void ClearOrder() { order_.clear(); }

  // The search key for a text typed by the user: text is space-padded or
  // cut to the field width; a date-time must read as one.
  Status KeyFromText(std::string_view text, std::string* key) const;

  // Index file form of a key: text bytes, or the day number with the time
  // as a fraction of a day in a little-endian double.
  void FileKey(std::uint32_t recno, char* out) const;
  // The index file form of the key `record` gives, and of a search key as
  // KeyFromText makes it.
  void RecordFileKey(const char* record, char* out) const;
  void SearchFileKey(std::string_view key, char* out) const;
  // Reads a key of the index file as the key of record `recno`; false when
  // the bytes cannot be a key of this tag.
  bool SetKeyFromFile(std::uint32_t recno, const char* fileKey);
  // Appends `recno` at the end of the key order; false when that breaks it.
  bool AppendInOrder(std::uint32_t recno);

 private:
  const char* Key(std::uint32_t recno) const { return &keys_[(recno - 1ULL) * keyLength_]; }
  void MakeKey(const char* record, char* out) const;
  void ToFileKey(const char* key, char* out) const;
  bool Less(std::uint32_t a, std::uint32_t b) const;

  std::string name_;
  int field_;
  FieldType type_;
  int fieldOffset_;
  int keyLength_;
  LargeVector<char> keys_;
  LargeVector<std::uint32_t> order_;
};

}  // namespace zvonar
