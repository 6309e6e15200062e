// Conversion goes through UTF-8, whose code page 1251 mapping the core owns.
#include "ui/QtText.h"

#include <QComboBox>
#include <QList>

#include "base/Cp1251.h"
#include "config/LanguageFile.h"
#include "ui/QtLanguage.h"

namespace zvonar {

QString ToQt(std::string_view cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

QString QtCaption(std::string_view caption) { return ToQt(MnemonicCaption(caption)); }

QString QtPlain(std::string_view caption) { return ToQt(PlainCaption(caption)); }

bool FromQt(const QString& text, std::string* cp1251, QString* error) {
  const Status s = Utf8ToCp1251(text.toStdString(), cp1251);
  if (!s.ok() && error != nullptr) {
    *error = QString::fromStdString(s.message());
    // The first character the code page lacks, told in the language used.
    for (const uint cp : text.toUcs4()) {
      char byte = 0;
      const auto c = static_cast<char32_t>(cp);
      if (CodePointToCp1251(c, &byte)) continue;
      *error = LanguageText(AddedText::CharacterNotInCodePage)
                   .arg(QString::fromUcs4(&c, 1), QString::number(cp, 16).toUpper().rightJustified(4, '0'));
      break;
    }
  }
  return s.ok();
}

std::string FromQtLossy(const QString& text) {
  std::string out;
  for (const uint cp : text.toUcs4()) {
    char byte = 0;
    if (CodePointToCp1251(static_cast<char32_t>(cp), &byte)) out.push_back(byte);
  }
  return out;
}

std::vector<std::string> ComboItems(const QComboBox* box) {
  std::vector<std::string> items;
  for (int i = 0; i < box->count(); ++i) items.push_back(FromQtLossy(box->itemText(i)));
  return items;
}

void SetComboItemsKeepText(QComboBox* box, const QStringList& items) {
  const QString text = box->currentText();
  const QSignalBlocker block(box);
  box->clear();
  box->addItems(items);
  box->setCurrentIndex(-1);
  box->setEditText(text);
}

}  // namespace zvonar
