#include "books/CodesTypes.h"

#include <functional>
#include <memory>
#include <unordered_map>

#include "base/TextFile.h"
#include "config/LanguageFile.h"
#include "import/NumberText.h"
#include "import/TextUtils.h"
#include "store/History.h"
#include "store/Table.h"

namespace zvonar {
namespace {

// Folded text (letter case aside) -> index of the first row holding it.
using FirstRowIndex = std::unordered_map<std::string, std::size_t>;

FirstRowIndex IndexRows(const std::vector<CodeTypeRow>& rows, std::string CodeTypeRow::*text) {
  FirstRowIndex index;
  index.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) index.emplace(LowerCharsRu(rows[i].*text), i);
  return index;
}

// The new text of a non-empty field text, or null to leave it.
using NewTextFn = std::function<const std::string*(std::string_view text)>;

// Rewrites the named fields of every record as `newText` says, holding the
// table exclusively; only records whose text differs are written. A record
// for which a new text is longer than its field stays as it is and is
// counted in `left` (may be null).
Status RewriteRecords(Table* table, const std::vector<std::string_view>& names, const NewTextFn& newText,
                      const ProgressFn& progress, std::uint32_t* changed, LeftRecords* left,
                      const HistoryPlace& history, std::string_view kind, std::string_view caption = {}) {
  *changed = 0;
  if (table == nullptr || !table->IsOpen()) return Status::Invalid("the table is not open");
  std::vector<int> fields;
  for (std::string_view name : names) {
    fields.push_back(table->FieldIndex(name));
    if (fields.back() < 0) return Status::Invalid(table->path() + " has no field " + std::string(name));
  }
  LeftRecords skipped;
  const FieldRewriteFn rewrite = [&](FieldRewrite& record) {
    bool leftOne = false;
    for (std::size_t k = 0; k < record.texts.size(); ++k) {
      if (record.texts[k].empty()) continue;
      const std::string* to = newText(record.texts[k]);
      if (to == nullptr) continue;
      const int width = table->Field(fields[k]).width;
      if (to->size() <= static_cast<std::size_t>(width)) {
        record.store[k] = *to;
      } else if (!leftOne) {
        leftOne = true;
        if (skipped.count++ == 0) skipped = {1, std::string(names[k]), *to, width};
      }
    }
  };
  const Status s =
      history.dataDir.empty()
          ? table->RewriteFields(fields, rewrite, progress, changed)
          : RecordChange(history, table, kind, caption, [&](const Table::ChangedRecordFn& note) {
              return table->RewriteFields(fields, rewrite, progress, changed, note);
            });
  if (left != nullptr) *left = std::move(skipped);
  return s;
}

const std::vector<std::string_view> kCodeAndType = {"Code", "Type"};

}  // namespace

std::string CodeTypePath(const std::string& dir) {
  return dir + kCodeTypeFileName;
}

std::vector<CodeTypeRow> CodeTypeRowsOf(const std::vector<std::string>& lines) {
  std::vector<CodeTypeRow> rows;
  rows.reserve(lines.size());
  for (const std::string& line : lines) rows.push_back({TextBeforeFirst(line, '='), TextAfterFirst(line, '=')});
  return rows;
}

Status LoadCodeTypes(const std::string& path, std::vector<CodeTypeRow>* rows) {
  std::vector<std::string> lines;
  Status s = ReadTextLinesIfExists(path, &lines, kBookFileLimit);
  *rows = CodeTypeRowsOf(lines);
  return s;
}

Status SaveCodeTypes(const std::string& path, const std::vector<CodeTypeRow>& rows) {
  std::vector<std::string> lines;
  lines.reserve(rows.size());
  for (const CodeTypeRow& row : rows) lines.push_back(row.marker + "=" + row.indication);
  return WriteTextLines(path, lines);
}

std::vector<std::string> CodeTypeIndications(const std::vector<CodeTypeRow>& rows) {
  std::vector<std::string> texts;
  texts.reserve(rows.size());
  for (const CodeTypeRow& row : rows) texts.push_back(row.indication);
  return texts;
}

void AddCodeTypeRow(std::vector<CodeTypeRow>* rows, std::string indication) {
  rows->push_back({std::to_string(rows->size() + 1), std::move(indication)});
}

std::string CodeTypeKey(std::string_view text) {
  int32_t value = 0;
  if (ParseInt(text, &value)) return std::to_string(value);
  return std::string(text);
}

std::function<std::string(std::string_view)> CodeTypeTextFinder(std::vector<CodeTypeRow> rows) {
  struct Finder {
    std::vector<CodeTypeRow> rows;
    FirstRowIndex byMarker;
  };
  auto finder = std::make_shared<Finder>();
  finder->rows = std::move(rows);
  finder->byMarker = IndexRows(finder->rows, &CodeTypeRow::marker);
  return [finder](std::string_view text) {
    const auto found = finder->byMarker.find(LowerCharsRu(CodeTypeKey(text)));
    return found == finder->byMarker.end() ? std::string() : finder->rows[found->second].indication;
  };
}

Status FillCodes(Table* table, const std::vector<CodeTypeRow>& rows, const ProgressFn& progress, std::uint32_t* changed,
                 LeftRecords* left, const HistoryPlace& history) {
  const FirstRowIndex byMarker = IndexRows(rows, &CodeTypeRow::marker);
  const NewTextFn fill = [&](std::string_view text) -> const std::string* {
    const auto found = byMarker.find(LowerCharsRu(CodeTypeKey(text)));
    if (found == byMarker.end() || rows[found->second].indication.empty()) return nullptr;
    return &rows[found->second].indication;
  };
  return RewriteRecords(table, kCodeAndType, fill, progress, changed, left, history, kChangeFillCodes);
}

Status ReturnCodes(Table* table, const std::vector<CodeTypeRow>& rows, const ProgressFn& progress,
                   std::uint32_t* changed, LeftRecords* left, const HistoryPlace& history) {
  const FirstRowIndex byIndication = IndexRows(rows, &CodeTypeRow::indication);
  const NewTextFn back = [&](std::string_view text) -> const std::string* {
    const auto found = byIndication.find(LowerCharsRu(text));
    return found == byIndication.end() ? nullptr : &rows[found->second].marker;
  };
  return RewriteRecords(table, kCodeAndType, back, progress, changed, left, history, kChangeReturnCodes);
}

Status ChangeCodeType(Table* table, CodeTypeField field, std::string_view find, std::string_view replace,
                      const ProgressFn& progress, std::uint32_t* changed, const HistoryPlace& history) {
  *changed = 0;
  if (find.empty() || replace.empty()) return Status::Ok();
  if (table == nullptr || !table->IsOpen()) return Status::Invalid("the table is not open");
  const std::string_view name = field == CodeTypeField::Code ? "Code" : "Type";
  const int index = table->FieldIndex(name);
  if (index < 0) return Status::Invalid(table->path() + " has no field " + std::string(name));
  const StoredTextCheck check = CheckStoredText(replace, name, table->Field(index).width);
  if (!check.ok()) return Status::Invalid(StoredTextMessage(check, LanguageFile()));
  const std::string to(replace);
  const NewTextFn change = [&](std::string_view text) -> const std::string* { return text == find ? &to : nullptr; };
  return RewriteRecords(table, {name}, change, progress, changed, nullptr, history, kChangeCodeType,
                        std::string(name) + ": " + std::string(find) + " -> " + to);
}

}  // namespace zvonar
