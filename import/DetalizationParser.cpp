// The walk over a bill. A bill is a report, one line per call or charge:
//
//   СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА              balance block of a bill
//   БАЛАНС НА 31.03.2008 ...                  the bill date (day first)
//   Ведомость начислений ... +7/9161234567    charges of that phone
//   Ежемесячная абонентская плата    150.00 Руб
//   Ведомость разговоров ... +7/9161234567    calls of that phone
//   Тип: 1 - местный ...                      legends of types and codes
//   Код: М - мобильный ...
//   01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50
//   Ведомость разговоров при роуминге ...     roaming calls
//   05.03.2008 14:20:11 4951234567 М 1 120 45.50 Network Country
//
// A call line gives date, time, number, code, type, seconds, minutes, cost,
// MTP and total; the number, the code and the seconds may be missing, and a
// roaming line carries one amount and the network after it. An HTML bill
// holds the same lines between its tags; its owner comes from the
// "Телефон:" line and its records end at the operator's postal address.
#include "import/DetalizationParser.h"

#include <algorithm>
#include <array>
#include <unordered_set>

#include "base/Cp1251.h"
#include "import/AbonentLookup.h"
#include "import/BillText.h"
#include "import/NumberText.h"
#include "import/TextUtils.h"

namespace zvonar {
namespace {

constexpr std::string_view kOwnerMark = "+7/";
constexpr std::string_view kPhoneMark = "\xD2\xE5\xEB\xE5\xF4\xEE\xED:";  // "Телефон:"
constexpr std::string_view kService = "service";
constexpr std::string_view kZeroAmount = "0.00";

constexpr std::size_t kRecordItems = 12;
constexpr std::size_t kNumberItem = 2, kNameItem = 3, kCodeItem = 4, kTypeItem = 5, kSecItem = 6, kMinItem = 7,
                      kCostItem = 8, kMtpItem = 9, kRoamingItem = 11;
// A line is cut into at most this many items; the last holds the rest of
// the line with its spaces collapsed. A record never has more than twelve,
// and a roaming record joins everything after its amount with single spaces,
// so the cut changes no record while a hostile line cannot allocate millions.
constexpr std::size_t kMaxItems = 32;
// Longest amount a roaming line can start with; longer digit runs are
// not an amount any field could hold.
constexpr std::size_t kMaxAmountLength = 64;
// The stop report quotes at most this much of the line.
constexpr std::size_t kMaxQuotedLine = 200;
// Numbers whose book name a walk keeps; a bill of more distinct numbers
// looks the rest up each time.
constexpr std::size_t kMaxNamesMet = 1u << 16;

enum class BillKind { Text, Html, Other };
enum class Section { None, Talk, Roaming, Charges };

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string Folded(std::string_view s) {
  return LowerTextRu(s);
}

// A bill's text quoted in a message: UTF-8, cut when long.
std::string Quoted(std::string_view text) {
  constexpr std::size_t kMaxQuoted = 40;
  return "\"" + Cp1251ToUtf8(text.substr(0, kMaxQuoted)) + (text.size() > kMaxQuoted ? "...\"" : "\"");
}

// The amount between a marker at 1-based `p` (`markerLength` long) and an
// end text at 1-based `q`: one character after the marker is skipped.
std::string AmountBetween(std::string_view line, std::size_t p, std::size_t markerLength, std::size_t q) {
  const std::size_t start = p + markerLength;  // 0-based
  const std::size_t end = q == 0 ? 0 : q - 1;
  return start < end && end <= line.size() ? RemoveSpaces(line.substr(start, end - start)) : std::string();
}

// Items of a call line: the runs between spaces, at most kMaxItems, or one
// empty item for a blank line. The strings of the last line are written
// over, so their room serves again.
void SplitItems(std::string_view line, std::vector<std::string>* items) {
  std::size_t count = 0;
  const auto put = [&](std::string_view item) {
    if (count < items->size())
      (*items)[count].assign(item);
    else
      items->emplace_back(item);
    ++count;
  };
  const std::size_t size = line.size();
  std::size_t pos = 0;
  while (pos < size && line[pos] == ' ') ++pos;
  while (pos < size) {
    if (count + 1 == kMaxItems) {
      put(StripCharAll(CollapseSpaces(line.substr(pos)), ' '));
      break;
    }
    std::size_t end = pos;
    while (end < size && line[end] != ' ') ++end;
    put(line.substr(pos, end - pos));
    pos = end;
    while (pos < size && line[pos] == ' ') ++pos;
  }
  if (count == 0) put(std::string_view());
  items->resize(count);
}

class Walk {
 public:
  Walk(const std::string& fileName, std::string_view content, const BillContext& context, RecordSink* sink,
       const ProgressFn& progress, DetalizationResult* result);
  void Run();

 private:
  bool Line(std::string_view line, const LineReader& reader);
  void EnterSection(Section section, std::string_view line);
  bool CallLine(std::string_view line, const LineReader& reader);
  bool BuildCallRecord(std::string_view line);
  void RoamingColumns();
  bool ChargeLine(std::string_view line);
  bool StoreCallRecord(std::string_view line);
  bool StoreRecord(std::string_view line);
  bool Stop(std::string_view line, std::string reason);
  void NoteOwner();
  std::string NameOf(const std::string& number);
  std::string OwnerAt(std::string_view line, std::size_t ownerMark) const;

  const std::string& fileName_;
  std::string_view content_;
  const BillContext& context_;
  const MainSettings& settings_;
  RecordSink* sink_;
  const ProgressFn& progress_;
  DetalizationResult* result_;
  BillKind kind_ = BillKind::Other;

  // Markers, folded once.
  std::string roaming_, adding_, talk_, balanceInfo_, balanceDate_, typeMarker_, codeMarker_, spaces5_;
  std::vector<std::string> skip_;
  std::string amountEnd_;
  std::array<RegisterField, 6> chargeMarkers_;
  std::array<std::string, 6> chargeFolded_;

  // State of the walk.
  std::size_t lineNo_ = 0;
  std::string owner_;
  bool ownerFound_ = false;
  bool phoneLineSeen_ = false;
  bool balanceSeen_ = false, balanceDateSeen_ = false;
  std::string billDate_;
  Section section_ = Section::None;
  bool typeLegendSeen_ = false, codeLegendSeen_ = false;
  FoldedLine folded_;
  std::vector<std::string> items_;
  std::unordered_set<std::string> ownersMet_;
  // "number=name" of the numbers met so far, the name empty when the book
  // has none.
  NameValueList namesMet_;
};

Walk::Walk(const std::string& fileName, std::string_view content, const BillContext& context, RecordSink* sink,
           const ProgressFn& progress, DetalizationResult* result)
    : fileName_(fileName),
      content_(content),
      context_(context),
      settings_(context.settings),
      sink_(sink),
      progress_(progress),
      result_(result),
      chargeMarkers_{RegisterField::MinTrafPay,  RegisterField::AddAbonPay,  RegisterField::AbonPay,
                     RegisterField::AddService1, RegisterField::AddService2, RegisterField::AddService3} {
  const std::string ext = LowerTextRu(FileExtNoDot(fileName));
  kind_ = ext == "html" ? BillKind::Html : ext == "txt" ? BillKind::Text : BillKind::Other;
  const RegisterFields& f = context.fields;
  roaming_ = Folded(f.Text(RegisterField::VedomostRoaming));
  adding_ = Folded(f.Text(RegisterField::VedomostAdding));
  talk_ = Folded(f.Text(RegisterField::VedomostTalk));
  balanceInfo_ = Folded(f.Text(RegisterField::BalanceInfo));
  balanceDate_ = Folded(f.Text(RegisterField::BalanceDate));
  typeMarker_ = Folded(StripCharAll(f.Text(RegisterField::TypeMarker), ' '));
  codeMarker_ = Folded(StripCharAll(f.Text(RegisterField::CodeMarker), ' '));
  spaces5_ = Folded(f.Text(RegisterField::Spaces5));
  std::vector<std::string> skip;
  SplitByChar(f.Text(RegisterField::Minus), '#', &skip);
  amountEnd_ = Folded(skip.front());
  for (const std::string& item : skip)
    if (!item.empty()) skip_.push_back(Folded(item));
  for (std::size_t i = 0; i < chargeMarkers_.size(); ++i) chargeFolded_[i] = Folded(f.Text(chargeMarkers_[i]));
  items_.reserve(kMaxItems + 4);
}

void Walk::Run() {
  const auto total = static_cast<int64_t>(CountLines(content_));
  if (progress_) progress_(0, total);
  const int64_t step = std::max<int64_t>(1, total / 100);
  int64_t nextReport = step;
  LineReader reader(content_);
  std::string_view line;
  while (reader.Next(&line)) {
    lineNo_ = reader.LineNo();
    if (!Line(line, reader)) break;
    if (progress_ && static_cast<int64_t>(lineNo_) >= nextReport) {
      progress_(static_cast<int64_t>(lineNo_), total);
      nextReport += step;
    }
  }
  if (progress_) progress_(result_->stop ? static_cast<int64_t>(lineNo_) : total, total);
}

std::string Walk::OwnerAt(std::string_view line, std::size_t ownerMark) const {
  return ExtractOwnerNumber(line, ownerMark + 1);
}

// One line; false when the walk ends here.
bool Walk::Line(std::string_view line, const LineReader& reader) {
  if (kind_ == BillKind::Html) {
    const std::string& stopText = settings_.htmlStopText;
    if (!stopText.empty() && line.find(stopText) != std::string_view::npos) return false;
    if (!phoneLineSeen_ && line.find(kPhoneMark) != std::string_view::npos) {
      const std::size_t mark = line.find(kOwnerMark);
      if (mark != std::string_view::npos) {
        phoneLineSeen_ = ownerFound_ = true;
        owner_ = OwnerAt(line, mark);
      }
    }
  }
  folded_.Assign(line);
  if (!balanceSeen_ && folded_.Pos(balanceInfo_) > 0) {
    balanceSeen_ = true;
    section_ = Section::None;
    return true;
  }
  if (balanceSeen_ && !balanceDateSeen_) {
    const std::size_t p = folded_.Pos(balanceDate_);
    if (p > 0) {
      balanceDateSeen_ = true;
      billDate_ = BillDateText(line, p, balanceDate_.size(), context_.fields.DateLength());
      if (kind_ == BillKind::Html) section_ = Section::Charges;
      return true;
    }
  }
  if (section_ != Section::None && !ownerFound_) {
    const std::size_t mark = line.find(kOwnerMark);
    if (mark == std::string_view::npos) return true;
    ownerFound_ = true;
    owner_ = OwnerAt(line, mark);
  }
  Section entered = Section::None;
  if (folded_.Pos(roaming_) > 0)
    entered = Section::Roaming;
  else if (kind_ == BillKind::Text && folded_.Pos(adding_) > 0)
    entered = Section::Charges;
  else if (kind_ != BillKind::Other && folded_.Pos(talk_) > 0)
    entered = Section::Talk;
  if (entered != Section::None) {
    EnterSection(entered, line);
    if (!ownerFound_) return true;
  }
  if (section_ == Section::Talk || section_ == Section::Roaming) return CallLine(line, reader);
  if (section_ == Section::Charges) return ChargeLine(line);
  return true;
}

// A section header clears the balance flags, so that the next bill in the
// same file is found again, and names the owner when it carries "+7/".
void Walk::EnterSection(Section section, std::string_view line) {
  balanceSeen_ = balanceDateSeen_ = false;
  section_ = section;
  const std::size_t mark = line.find(kOwnerMark);
  ownerFound_ = mark != std::string_view::npos;
  if (ownerFound_) owner_ = OwnerAt(line, mark);
}

bool Walk::CallLine(std::string_view line, const LineReader& reader) {
  if (!typeLegendSeen_ && folded_.StartsWithTrimmed(typeMarker_)) {
    std::string legend = StripLeadingDashes(line);
    std::string_view next;
    if (reader.Peek(&next)) {
      FoldedLine foldedNext;
      foldedNext.Assign(next);
      if (!foldedNext.StartsWithTrimmed(codeMarker_)) legend += " " + StripLeadingDashes(next);
    }
    result_->typeLegend = std::move(legend);
    typeLegendSeen_ = true;
    return true;
  }
  if (!codeLegendSeen_ && folded_.StartsWithTrimmed(codeMarker_)) {
    result_->codeLegend = StripLeadingDashes(line);
    codeLegendSeen_ = true;
    return true;
  }
  if (folded_.StartsWith(spaces5_)) return true;
  for (const std::string& item : skip_)
    if (folded_.Pos(item) > 0) return true;
  return BuildCallRecord(line);
}

bool Walk::BuildCallRecord(std::string_view line) {
  SplitItems(line, &items_);
  if (!IsDigit(items_[0].empty() ? ' ' : items_[0][0])) return true;  // not a record
  CalendarDate date{};
  if (!ParseBillDate(items_[0], &date))
    return Stop(line, "date " + Quoted(items_[0]) + " is not a day.month.year date");
  if (items_.size() < 2) items_.resize(2);
  items_[1].insert(0, FormatStandardDate(date) + ' ');
  items_[0] = owner_;
  NoteOwner();

  if (items_.size() > kNumberItem && items_[kNumberItem].size() >= 3) {
    const NameValueList& book = context_.abonents;
    const std::string& number = items_[kNumberItem];
    std::string name = book.size() > 0 ? NameOf(number) : std::string();
    items_.insert(items_.begin() + kNameItem, std::move(name));
  } else {
    items_.insert(items_.begin() + kNumberItem, 2, std::string());  // no number, no name
  }
  if (items_.size() > kCodeItem && IsInteger(items_[kCodeItem]))
    items_.insert(items_.begin() + kCodeItem, std::string());  // no code
  if (settings_.fillCodesTypesOnAddDetalization) ReplaceCodesTypes(&items_, context_.codeTypes);
  // The seconds column is missing when a money value stands in its place.
  if (items_.size() > kSecItem && items_[kSecItem].find('.') != std::string::npos && IsFloat(items_[kSecItem]) &&
      (section_ == Section::Roaming || items_.size() < kRecordItems - 1))
    items_.insert(items_.begin() + kSecItem, "0");
  if (section_ == Section::Roaming)
    RoamingColumns();
  else
    items_.emplace_back();  // no roaming
  return StoreCallRecord(line);
}

// A roaming line has one amount, for Cost and All, and everything after it
// goes into Roaming. A line too short for that stays short and is reported.
void Walk::RoamingColumns() {
  if (items_.size() <= kMinItem) return;
  items_.insert(items_.begin() + kMinItem, std::string());
  std::string& amount = items_[kCostItem];
  const std::size_t length = FloatPrefixLength(std::string_view(amount).substr(0, kMaxAmountLength));
  std::string rest = amount.substr(length);
  amount.resize(length);
  items_.insert(items_.begin() + kCostItem + 1, items_[kCostItem]);
  items_.insert(items_.begin() + kMtpItem, std::string());
  if (!rest.empty()) {
    if (items_.size() > kRoamingItem)
      items_[kRoamingItem] = rest + " " + items_[kRoamingItem];
    else
      items_.push_back(std::move(rest));
  }
  if (items_.size() > kRecordItems) {
    std::string& roaming = items_[kRoamingItem];
    for (std::size_t i = kRoamingItem + 1; i < items_.size(); ++i) roaming.append(" ").append(items_[i]);
    items_.resize(kRecordItems);
  }
}

bool Walk::StoreCallRecord(std::string_view line) {
  if (items_.empty() || items_.size() > kRecordItems) return true;  // silently not a record
  if (items_.size() < kRecordItems) {
    result_->rejected.push_back(RejectedLine{lineNo_, items_.size() > 1 ? items_[1] : std::string(),
                                             items_.size() > kNumberItem ? items_[kNumberItem] : std::string(),
                                             std::string()});
    return true;
  }
  std::string& dateTime = items_[1];
  const std::size_t space = dateTime.find(' ');
  const std::string time = dateTime.substr(space + 1);
  ClockTime clock{};
  if (!ParseBillTime(time, &clock)) return Stop(line, "time " + Quoted(time) + " is not hours:minutes[:seconds]");
  dateTime.replace(space + 1, std::string::npos, FormatStandardTime(clock));
  items_[kNameItem] = StripCharAll(items_[kNameItem], ' ');
  return StoreRecord(line);
}

bool Walk::ChargeLine(std::string_view line) {
  const std::size_t q = folded_.Pos(amountEnd_);
  for (std::size_t i = 0; i < chargeMarkers_.size(); ++i) {
    const std::size_t p = folded_.Pos(chargeFolded_[i]);
    if (p == 0) continue;
    std::string amount = AmountBetween(line, p, chargeFolded_[i].size(), q);
    if (amount.empty()) return true;
    CalendarDate date{};
    if (!ParseBillDate(billDate_, &date))
      return Stop(line, "bill date " + Quoted(billDate_) + " is not a day.month.year date");
    const std::string& owner = settings_.usePrimaryServiceNumber ? settings_.primaryServiceNumber : owner_;
    items_.assign({owner, FormatStandardDate(date) + " 00:00:00", "S" + owner,
                   StripCharAll(context_.fields.Text(chargeMarkers_[i]), ' '), std::string(kService),
                   std::string(kService), std::string(kZeroAmount), std::string(kZeroAmount), amount,
                   std::string(kZeroAmount), amount, std::string()});
    if (settings_.fillCodesTypesOnAddDetalization) ReplaceCodesTypes(&items_, context_.codeTypes);
    return StoreRecord(line);
  }
  return true;
}

bool Walk::StoreRecord(std::string_view line) {
  const Status s = sink_ != nullptr ? sink_->Store(items_, lineNo_) : Status::Ok();
  if (s.kind() == StatusKind::InvalidInput) {
    result_->rejected.push_back(RejectedLine{lineNo_, items_[1], items_[kNumberItem], s.message()});
    return true;
  }
  if (!s.ok()) return Stop(line, s.message());
  ++result_->recordsAdded;
  return true;
}

bool Walk::Stop(std::string_view line, std::string reason) {
  std::string quoted(line.substr(0, kMaxQuotedLine));
  if (line.size() > kMaxQuotedLine) quoted += "...";
  result_->stop = ImportStop{fileName_, lineNo_, std::move(quoted), std::move(reason)};
  return false;
}

// The book's name for a call line's number. A bill calls the same numbers
// again and again while a number the book lacks costs up to five lookups
// there, so each number's answer is kept, up to kMaxNamesMet numbers.
std::string Walk::NameOf(const std::string& number) {
  if (const std::optional<std::string_view> met = namesMet_.ValueOf(number)) return std::string(*met);
  const NameValueList& book = context_.abonents;
  // The search under other spellings looks the number up as written first.
  std::string name = settings_.fillAbonNamesOnAddDetalization && number.front() != 'S'
                         ? FindAbonentName(number, settings_.phoneCodeTown, settings_.modePhoneCode, book)
                         : book.Values(number);
  // The kept answers are found regardless of letter case, which only "S"
  // against "s" in front changes; a number holding "=" would not read back.
  const bool keep = number.front() != 'S' && number.front() != 's' && number.find('=') == std::string::npos;
  if (keep && namesMet_.size() < kMaxNamesMet) namesMet_.Add(number + '=' + name);
  return name;
}

void Walk::NoteOwner() {
  if (!result_->owners.empty() && result_->owners.back() == owner_) return;
  if (ownersMet_.insert(owner_).second) result_->owners.push_back(owner_);
}

}  // namespace

std::string ExtractOwnerNumber(std::string_view line, std::size_t plusPos) {
  const std::size_t start = plusPos + 2;  // 0-based, just after "+7/"
  if (plusPos == 0 || start >= line.size()) return {};
  return RemoveSpaces(line.substr(start, 10));
}

bool ExtractAmount(std::string_view marker, std::string_view line, std::string_view endText, std::string* amount) {
  const std::size_t p = PosNoCase(marker, line);
  if (p == 0) return false;
  *amount = AmountBetween(line, p, marker.size(), PosNoCase(endText, line));
  return true;
}

void ReplaceCodesTypes(std::vector<std::string>* record, const NameValueList& codeTypes) {
  if (record == nullptr || codeTypes.size() == 0 || record->size() <= kTypeItem) return;
  for (const std::size_t i : {kCodeItem, kTypeItem}) {
    std::string& item = (*record)[i];
    if (item.empty()) continue;
    int32_t number = 0;
    std::string text = codeTypes.Values(ParseInt(item, &number) ? std::to_string(number) : item);
    if (!text.empty()) item = std::move(text);
  }
}

void ParseDetalizationFile(const std::string& fileName, std::string_view content, const BillContext& context,
                           RecordSink* sink, const ProgressFn& progress, DetalizationResult* result) {
  Walk(fileName, content, context, sink, progress, result).Run();
}

}  // namespace zvonar
