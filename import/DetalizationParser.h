// The detalization parser: walks the lines of one operator bill (plain-text
// or HTML export), recognises its sections by the register-field markers and
// turns every call line and every monthly charge line into a record of the
// detalization table. It keeps no grammar, only a few flags saying which
// section it is in; the markers come from fields.dat, so it follows changes
// in the operator's wording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/MainSettings.h"
#include "base/Progress.h"
#include "config/RegisterFields.h"
#include "base/Status.h"
#include "import/NameValueList.h"

namespace zvonar {

// Where the parser puts its records: twelve field texts in DetalRecord order
// (Owner, DateTime as "yyyy.mm.dd hh:mm:ss", Number, Abonent, Code, Type,
// Sec, Min, Cost, MTP, All, Roaming). A failure stops the walk.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  // The record of the bill's 1-based line `lineNo`. InvalidInput refuses
  // it (the walk reports it and goes on); any other failure ends the walk.
  virtual Status Store(const std::vector<std::string>& fields, std::size_t lineNo) = 0;
};

// What the parser reads besides the bill. The two books are Name=Value lists
// (abonents.dat: number=name; codetype.dat: code or type=text), empty when
// their files are missing.
struct BillContext {
  const RegisterFields& fields;
  const MainSettings& settings;
  const NameValueList& abonents;
  const NameValueList& codeTypes;
};

// A call line that yields fewer than twelve items, or a record the sink
// refused: not stored, reported.
struct RejectedLine {
  std::size_t lineNo = 0;  // 1-based line of the bill
  std::string dateTime;    // "yyyy.mm.dd" and the line's time as written
  std::string number;      // the called number, possibly empty
  std::string reason;      // why the sink refused it (UTF-8); empty for too few items
};

// Where a walk stopped on an error. Records stored before it stay; later
// lines were not read.
struct ImportStop {
  std::string file;
  std::size_t lineNo = 0;  // 1-based
  std::string lineText;    // the line as the bill holds it (code page 1251)
  std::string reason;      // what was wrong (UTF-8), for example a date that is no date
};

struct DetalizationResult {
  int64_t recordsAdded = 0;
  // Owners of the call lines, each once, in the order first met.
  std::vector<std::string> owners;
  // The legend lines for types and codes, when the bill has them (the texts
  // of the labels lType and lCode).
  std::optional<std::string> typeLegend;
  std::optional<std::string> codeLegend;
  std::vector<RejectedLine> rejected;
  std::optional<ImportStop> stop;
};

// The owner number on a line: the characters after "+7/" (found at 1-based
// `plusPos`), cut to ten, then without spaces, so spaces inside the number
// shorten it.
std::string ExtractOwnerNumber(std::string_view line, std::size_t plusPos);

// False when `marker` (any letter case) is not on `line`. Otherwise true,
// with `amount` the text from one character after the marker up to the first
// occurrence of `endText` on the line, spaces removed; empty when the end
// text is missing, empty or stands before that.
bool ExtractAmount(std::string_view marker, std::string_view line, std::string_view endText, std::string* amount);

// Replaces the Code (index 4) and Type (index 5) items of a record by their
// texts from `codeTypes`, each when non-empty and found. An integer item is
// looked up in its plain form ("07" as "7"). Records of fewer than six items
// and an empty list are left alone.
void ReplaceCodesTypes(std::vector<std::string>* record, const NameValueList& codeTypes);

// Walks the bill `content` (the bytes of the file `fileName`, whose extension
// tells an HTML bill from a text bill) and stores its records in `sink`.
// `progress`, when set, gets (lines walked, line count) now and then and
// always at the end. Never throws; a line that cannot be converted ends the
// walk with `result->stop`.
void ParseDetalizationFile(const std::string& fileName, std::string_view content, const BillContext& context,
                           RecordSink* sink, const ProgressFn& progress, DetalizationResult* result);

}  // namespace zvonar
