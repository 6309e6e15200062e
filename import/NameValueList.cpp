// Name=Value lines with a case-insensitive index. The index maps each folded
// name to its first line only, so later lines with the same name never
// answer, just as a front-to-back search would behave.
#include "import/NameValueList.h"

#include <xxhash.h>

#include <algorithm>
#include <utility>

#include "import/TextUtils.h"

namespace zvonar {
namespace {

// Names up to this long are folded on the stack for a lookup: a phone number,
// a code or a type always is.
constexpr std::size_t kShortName = 64;
constexpr std::size_t kFirstSlots = 16;

std::uint64_t HashOf(std::string_view folded) {
  return XXH3_64bits(folded.data(), folded.size());
}

// `key` folded by LowerCharRu into `buffer` when it fits, else into `spill`.
std::string_view Fold(std::string_view key, char (&buffer)[kShortName], std::string* spill) {
  char* out = buffer;
  if (key.size() > kShortName) {
    spill->resize(key.size());
    out = spill->data();
  }
  for (std::size_t i = 0; i < key.size(); ++i) out[i] = LowerCharRu(key[i]);
  return std::string_view(out, key.size());
}

}  // namespace

NameValueList NameValueList::FromLines(std::vector<std::string> lines) {
  NameValueList list;
  list.lines_ = std::move(lines);
  std::size_t slots = kFirstSlots;
  while (slots < list.lines_.size() * 2) slots *= 2;
  list.slots_.resize(slots);
  for (std::size_t i = 0; i < list.lines_.size(); ++i) list.IndexLine(i);
  return list;
}

void NameValueList::Add(std::string line) {
  lines_.push_back(std::move(line));
  IndexLine(lines_.size() - 1);
}

void NameValueList::Clear() {
  lines_.clear();
  slots_.clear();
  names_.clear();
  named_ = 0;
}

std::size_t NameValueList::Probe(std::string_view folded, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  const auto hash32 = static_cast<std::uint32_t>(hash >> 32);
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.line == kEmpty) return at;
    if (slot.hash == hash32 && slot.eq == folded.size() &&
        std::string_view(names_).substr(slot.nameAt, slot.eq) == folded)
      return at;
  }
}

void NameValueList::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(std::max(kFirstSlots, old.size() * 2), Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.line == kEmpty) continue;
    std::size_t at = HashOf(std::string_view(names_).substr(slot.nameAt, slot.eq)) & mask;
    while (slots_[at].line != kEmpty) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

void NameValueList::IndexLine(std::size_t lineIndex) {
  const std::string_view line = lines_[lineIndex];
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  if ((named_ + 1) * 2 > slots_.size()) Grow();
  char buffer[kShortName];
  std::string spill;
  const std::string_view folded = Fold(line.substr(0, eq), buffer, &spill);
  const std::uint64_t hash = HashOf(folded);
  Slot& slot = slots_[Probe(folded, hash)];
  if (slot.line != kEmpty) return;  // an earlier line has this name
  slot = Slot{static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(lineIndex),
              static_cast<std::uint32_t>(eq), static_cast<std::uint32_t>(names_.size())};
  names_.append(folded);
  ++named_;
}

const NameValueList::Slot* NameValueList::Find(std::string_view key) const {
  if (named_ == 0) return nullptr;
  char buffer[kShortName];
  std::string spill;
  const std::string_view folded = Fold(key, buffer, &spill);
  const Slot& slot = slots_[Probe(folded, HashOf(folded))];
  return slot.line == kEmpty ? nullptr : &slot;
}

int NameValueList::IndexOfName(std::string_view key) const {
  const Slot* slot = Find(key);
  return slot == nullptr ? -1 : static_cast<int>(slot->line);
}

std::optional<std::string_view> NameValueList::ValueOf(std::string_view key) const {
  const Slot* slot = Find(key);
  if (slot == nullptr) return std::nullopt;
  return std::string_view(lines_[slot->line]).substr(slot->eq + 1);
}

std::string NameValueList::Values(std::string_view key) const {
  return std::string(ValueOf(key).value_or(std::string_view()));
}

}  // namespace zvonar
