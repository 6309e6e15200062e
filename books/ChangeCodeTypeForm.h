// The dialog of Change Codes / Types: which field (Code or Type), the text
// to find and the text to put in its place. Both boxes offer the code
// filter's items. OK refuses, with the reason, a replacement the chosen
// field cannot take whole or one holding "#", a TAB or a line break.
#pragma once

#include <QDialog>
#include <QStringList>
#include <string>

#include "books/StoredText.h"
#include "config/LanguageFile.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace zvonar {
class Prompts;
}  // namespace zvonar

class TChangeCodeTypeForm : public QDialog {
  Q_OBJECT

 public:
  // `programDir` ends with "/"; `languageName` is the Language setting;
  // `items` fill the drop-down lists of both boxes; `widths` are those of
  // the table's Code and Type; `prompts` tells why OK refuses.
  TChangeCodeTypeForm(const std::string& programDir, const std::string& languageName, const QStringList& items,
                      zvonar::Prompts* prompts, const zvonar::BookFieldWidths& widths, QWidget* parent = nullptr);

  // 0 for Code, 1 for Type.
  int Mode() const;

  QGroupBox* rgMode;
  QRadioButton* rbCode;
  QRadioButton* rbType;
  QGroupBox* gbChange;
  QLabel* lFilter1;
  QComboBox* cbFilter1;
  QLabel* lFilter2;
  QComboBox* cbFilter2;
  QPushButton* btnOK;
  QPushButton* btnCancel;

  void btnOKClick();

 private:
  zvonar::Prompts* prompts_;
  zvonar::BookFieldWidths widths_;
  zvonar::LanguageFile lang_;
};

namespace zvonar {

// Shows the dialog modally; true, with the mode and the two texts (as
// typed), when it was closed with OK.
bool AskChangeCodeType(QWidget* parent, const std::string& programDir, const std::string& languageName,
                       const QStringList& items, Prompts* prompts, const BookFieldWidths& widths, int* mode,
                       QString* find, QString* replace);

}  // namespace zvonar
