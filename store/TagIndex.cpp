// Keys in memory compare as bytes: a text key is the field as stored, a
// date-time key is the chronological ordinal as a big-endian 64-bit number
// (0 for a blank or damaged date-time).
#include "store/TagIndex.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "store/Bytes.h"
#include "store/DateTimeField.h"

namespace zvonar {
namespace {

void PutBigEndian64(std::uint64_t v, char* out) {
  for (int i = 7; i >= 0; --i, v >>= 8) out[i] = static_cast<char>(v & 0xFF);
}

std::uint64_t GetBigEndian64(const char* p, int size) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | (i < size ? static_cast<unsigned char>(p[i]) : 0U);
  return v;
}

// Sorts `items` by `less`, a strict total order, using the ascending runs
// already there: the records of a bill or a load mostly come in owner and
// time order, so merging runs costs a pass or a few where a sort would cost
// twenty. Input with little order goes to std::sort.
template <class Item, class Less>
void SortByRuns(LargeVector<Item>* items, Less less) {
  const std::size_t n = items->size();
  std::vector<std::size_t> bounds{0};
  for (std::size_t i = 1; i < n; ++i)
    if (less((*items)[i], (*items)[i - 1])) bounds.push_back(i);
  bounds.push_back(n);
  if (bounds.size() > n / 16 + 2) {
    std::sort(items->begin(), items->end(), less);
    return;
  }
  LargeVector<Item> other(bounds.size() > 2 ? n : 0);
  LargeVector<Item>* from = items;
  LargeVector<Item>* to = &other;
  while (bounds.size() > 2) {
    const std::size_t runs = bounds.size() - 1;
    std::vector<std::size_t> next{0};
    for (std::size_t j = 0; j < runs; j += 2) {
      const auto at = [&](LargeVector<Item>* v, std::size_t k) { return v->begin() + static_cast<std::ptrdiff_t>(k); };
      if (j + 1 < runs) {
        std::merge(at(from, bounds[j]), at(from, bounds[j + 1]), at(from, bounds[j + 1]), at(from, bounds[j + 2]),
                   at(to, bounds[j]), less);
        next.push_back(bounds[j + 2]);
      } else {
        std::copy(at(from, bounds[j]), at(from, bounds[j + 1]), at(to, bounds[j]));
        next.push_back(bounds[j + 1]);
      }
    }
    std::swap(from, to);
    bounds = std::move(next);
  }
  if (from != items) *items = std::move(*from);
}

}  // namespace

TagIndex::TagIndex(std::string name, int field, const FieldDef& def, int fieldOffset)
    : name_(std::move(name)),
      field_(field),
      type_(def.type),
      fieldOffset_(fieldOffset),
      keyLength_(def.type == FieldType::DateTime ? 8 : def.width) {}

void TagIndex::Resize(std::uint32_t records) {
  keys_.resize(std::size_t{records} * keyLength_);
}

void TagIndex::MakeKey(const char* record, char* out) const {
  const char* field = record + fieldOffset_;
  if (type_ == FieldType::Character) {
    std::memcpy(out, field, keyLength_);
  } else {
    // A damaged date-time reads as an empty cell, so it takes the blank key:
    // every key then has a form the index file can hold and give back.
    const DateTimeValue v = IsValidDateTimeField(field) ? DecodeDateTimeField(field) : DateTimeValue{};
    PutBigEndian64(static_cast<std::uint64_t>(DateTimeOrdinal(v)), out);
  }
}

void TagIndex::SetKey(std::uint32_t recno, const char* record) {
  MakeKey(record, &keys_[(recno - 1ULL) * keyLength_]);
}

bool TagIndex::KeyDiffers(std::uint32_t recno, const char* record) const {
  char key[256];
  MakeKey(record, key);
  return std::memcmp(key, Key(recno), keyLength_) != 0;
}

bool TagIndex::KeysDiffer(const char* a, const char* b) const {
  char x[256], y[256];
  MakeKey(a, x);
  MakeKey(b, y);
  return std::memcmp(x, y, keyLength_) != 0;
}

bool TagIndex::Less(std::uint32_t a, std::uint32_t b) const {
  const int c = std::memcmp(Key(a), Key(b), keyLength_);
  return c < 0 || (c == 0 && a < b);
}

std::uint32_t TagIndex::PositionOf(std::uint32_t recno) const {
  const auto it = std::lower_bound(order_.begin(), order_.end(), recno,
                                   [this](std::uint32_t a, std::uint32_t b) { return Less(a, b); });
  return static_cast<std::uint32_t>(it - order_.begin());
}

std::uint32_t TagIndex::LowerBound(std::string_view key) const {
  const auto it = std::lower_bound(order_.begin(), order_.end(), key, [this](std::uint32_t a, std::string_view k) {
    return std::memcmp(Key(a), k.data(), keyLength_) < 0;
  });
  return static_cast<std::uint32_t>(it - order_.begin());
}

void TagIndex::Insert(std::uint32_t recno) {
  order_.insert(order_.begin() + PositionOf(recno), recno);
}

void TagIndex::Remove(std::uint32_t recno) {
  const std::uint32_t at = PositionOf(recno);
  if (at < order_.size() && order_[at] == recno) order_.erase(order_.begin() + at);
}

void TagIndex::Merge(std::span<const std::uint32_t> recnos) {
  // Sorting on the first twelve key bytes held beside the record number
  // keeps the sort within one array of 16-byte items (owner numbers and
  // date-times fit); longer keys fall back to the slots on a tie.
  struct Item {
    std::uint64_t high;
    std::uint32_t low;
    std::uint32_t recno;
  };
  LargeVector<Item> items(recnos.size());
  for (std::size_t i = 0; i < recnos.size(); ++i) {
    const char* key = Key(recnos[i]);
    const auto low = keyLength_ > 8 ? GetBigEndian64(key + 8, std::min(keyLength_ - 8, 4)) >> 32 : 0;
    items[i] = {GetBigEndian64(key, keyLength_), static_cast<std::uint32_t>(low), recnos[i]};
  }
  SortByRuns(&items, [this](const Item& a, const Item& b) {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    if (keyLength_ > 12) {
      const int c = std::memcmp(Key(a.recno) + 12, Key(b.recno) + 12, keyLength_ - 12);
      if (c != 0) return c < 0;
    }
    return a.recno < b.recno;
  });
  LargeVector<std::uint32_t> sorted(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) sorted[i] = items[i].recno;
  items = {};
  if (order_.empty()) {
    order_ = std::move(sorted);
    return;
  }
  LargeVector<std::uint32_t> merged(order_.size() + sorted.size());
  std::merge(order_.begin(), order_.end(), sorted.begin(), sorted.end(), merged.begin(),
             [this](std::uint32_t a, std::uint32_t b) { return Less(a, b); });
  order_ = std::move(merged);
}

Status TagIndex::KeyFromText(std::string_view text, std::string* key) const {
  key->assign(keyLength_, ' ');
  if (type_ == FieldType::Character) {
    key->replace(0, std::min<std::size_t>(text.size(), keyLength_), text.substr(0, keyLength_));
    return Status::Ok();
  }
  DateTimeValue v;
  if (!ParseDateTimeText(text, &v))
    return Status::Invalid("\"" + std::string(text) + "\" is not a date (yyyy.mm.dd or yyyy.mm.dd hh:mm:ss)");
  PutBigEndian64(static_cast<std::uint64_t>(DateTimeOrdinal(v)), key->data());
  return Status::Ok();
}

void TagIndex::FileKey(std::uint32_t recno, char* out) const {
  ToFileKey(Key(recno), out);
}

void TagIndex::RecordFileKey(const char* record, char* out) const {
  char key[256];
  MakeKey(record, key);
  ToFileKey(key, out);
}

void TagIndex::SearchFileKey(std::string_view key, char* out) const {
  ToFileKey(key.data(), out);
}

void TagIndex::ToFileKey(const char* key, char* out) const {
  if (type_ == FieldType::Character) {
    std::memcpy(out, key, keyLength_);
    return;
  }
  const auto ordinal = static_cast<std::int64_t>(GetBigEndian64(key, 8));
  const double value = static_cast<double>(ordinal / kMsPerDay) + static_cast<double>(ordinal % kMsPerDay) / kMsPerDay;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  PutLe(bits, out, 8);
}

bool TagIndex::SetKeyFromFile(std::uint32_t recno, const char* fileKey) {
  char* slot = &keys_[(recno - 1ULL) * keyLength_];
  if (type_ == FieldType::Character) {
    std::memcpy(slot, fileKey, keyLength_);
    return true;
  }
  const std::uint64_t bits = GetU32(fileKey) | (std::uint64_t{GetU32(fileKey + 4)} << 32);
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  if (!(value >= 0 && value < 1e8)) return false;
  const double day = std::floor(value);
  std::int64_t ms = std::llround((value - day) * kMsPerDay);
  const auto ordinal = static_cast<std::int64_t>(day) * kMsPerDay + ms;
  PutBigEndian64(static_cast<std::uint64_t>(ordinal), slot);
  return true;
}

bool TagIndex::AppendInOrder(std::uint32_t recno) {
  if (!order_.empty() && !Less(order_.back(), recno)) return false;
  order_.push_back(recno);
  return true;
}

}  // namespace zvonar
