// fields.dat: one marker text per line in RegisterField order (lines used as
// they stand, leading and trailing spaces included), then the date length as
// decimal text. Written with CR LF like every plain text file of the program.
#include "config/RegisterFields.h"

#include "base/TextFile.h"
#include "import/NumberText.h"

namespace zvonar {
namespace {

// The markers of the operator's bills, in code page 1251.
const char* const kDefaultTexts[kRegisterTextCount] = {
    // "Ежемесячная абонентская плата  " (two trailing spaces)
    "\xC5\xE6\xE5\xEC\xE5\xF1\xFF\xF7\xED\xE0\xFF \xE0\xE1\xEE\xED\xE5\xED\xF2\xF1\xEA\xE0\xFF \xEF\xEB\xE0\xF2\xE0  ",
    // "Ежемесячная минимальная оплата за трафик"
    "\xC5\xE6\xE5\xEC\xE5\xF1\xFF\xF7\xED\xE0\xFF \xEC\xE8\xED\xE8\xEC\xE0\xEB\xFC\xED\xE0\xFF "
    "\xEE\xEF\xEB\xE0\xF2\xE0 \xE7\xE0 \xF2\xF0\xE0\xF4\xE8\xEA",
    // "Ежемесячная абонентская плата за дополнительные услуги"
    "\xC5\xE6\xE5\xEC\xE5\xF1\xFF\xF7\xED\xE0\xFF \xE0\xE1\xEE\xED\xE5\xED\xF2\xF1\xEA\xE0\xFF \xEF\xEB\xE0\xF2\xE0 "
    "\xE7\xE0 \xE4\xEE\xEF\xEE\xEB\xED\xE8\xF2\xE5\xEB\xFC\xED\xFB\xE5 \xF3\xF1\xEB\xF3\xE3\xE8",
    // "Услуга "Свои Люди""
    "\xD3\xF1\xEB\xF3\xE3\xE0 \"\xD1\xE2\xEE\xE8 \xCB\xFE\xE4\xE8\"",
    // "Услуга"
    "\xD3\xF1\xEB\xF3\xE3\xE0",
    // "Минимальное ежемесячное начисление"
    "\xCC\xE8\xED\xE8\xEC\xE0\xEB\xFC\xED\xEE\xE5 \xE5\xE6\xE5\xEC\xE5\xF1\xFF\xF7\xED\xEE\xE5 "
    "\xED\xE0\xF7\xE8\xF1\xEB\xE5\xED\xE8\xE5",
    // "Ведомость разговоров при роуминге"
    "\xC2\xE5\xE4\xEE\xEC\xEE\xF1\xF2\xFC \xF0\xE0\xE7\xE3\xEE\xE2\xEE\xF0\xEE\xE2 \xEF\xF0\xE8 "
    "\xF0\xEE\xF3\xEC\xE8\xED\xE3\xE5",
    // "Ведомость начислений"
    "\xC2\xE5\xE4\xEE\xEC\xEE\xF1\xF2\xFC \xED\xE0\xF7\xE8\xF1\xEB\xE5\xED\xE8\xE9",
    // "Ведомость разговоров"
    "\xC2\xE5\xE4\xEE\xEC\xEE\xF1\xF2\xFC \xF0\xE0\xE7\xE3\xEE\xE2\xEE\xF0\xEE\xE2",
    // "Тип:"
    "\xD2\xE8\xEF:",
    // "Код:"
    "\xCA\xEE\xE4:",
    // five spaces
    "     ",
    // "Руб#Стр.#Дата#-#<"
    "\xD0\xF3\xE1#\xD1\xF2\xF0.#\xC4\xE0\xF2\xE0#-#<",
    // "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА"
    "\xD1\xC2\xC5\xC4\xC5\xCD\xC8\xDF \xCE \xD1\xCE\xD1\xD2\xCE\xDF\xCD\xC8\xC8 \xC1\xC0\xCB\xC0\xCD\xD1\xC0",
    // "БАЛАНС НА"
    "\xC1\xC0\xCB\xC0\xCD\xD1 \xCD\xC0",
};

}  // namespace

RegisterFields::RegisterFields() : lines_(kDefaultTexts, kDefaultTexts + kRegisterTextCount) {
  lines_.push_back(std::to_string(kDefaultDateLength));
}

RegisterFields RegisterFields::FromLines(std::vector<std::string> lines) {
  RegisterFields fields;
  if (lines.size() > static_cast<std::size_t>(kRegisterTextCount)) fields.lines_ = std::move(lines);
  return fields;
}

Status RegisterFields::Load(const std::string& path, RegisterFields* fields) {
  std::vector<std::string> lines;
  Status s = ReadTextLinesIfExists(path, &lines, kSettingsFileLimit);
  if (!s.ok()) return s;
  *fields = FromLines(std::move(lines));
  return Status::Ok();
}

Status RegisterFields::Save(const std::string& path) const { return WriteTextLines(path, lines_); }

int RegisterFields::DateLength() const {
  int32_t length = 0;
  return ParseInt(lines_[kRegisterTextCount], &length) ? length : kDefaultDateLength;
}

}  // namespace zvonar
