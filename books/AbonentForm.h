// The entry dialog of the abonents book: one number and its name. OK is
// offered once a name is typed and the number has four characters; a name
// the records' Abonent field cannot take whole, or one of blanks, a "#", a
// TAB or a line break, is refused with the reason; a number the book
// already holds under another name is asked about before the dialog closes,
// and No leaves the typed texts in place.
#pragma once

#include <QDialog>
#include <string>

#include "config/LanguageFile.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zvonar {
class Prompts;
}  // namespace zvonar

class TAbonentForm : public QDialog {
  Q_OBJECT

 public:
  // `bookPath` is the abonents book the OK button consults; `prompts`
  // answers its messages (the dialog does not own it).
  TAbonentForm(std::string bookPath, zvonar::Prompts* prompts, QWidget* parent = nullptr);

  // The entry dialog's lines of the language file (when it holds them).
  void ApplyLanguage(const zvonar::LanguageFile& lang);
  void SetFontSize(int fontSize);
  // The width of the records' Abonent field: a longer name is refused.
  void SetNameWidth(int width) { nameWidth_ = width; }

  // The texts of the next showing; `editedNumber` is the number of the
  // entry being edited, empty when one is added.
  void SetEntry(const QString& number, const QString& name, const QString& editedNumber);
  // After OK: the typed texts in code page 1251.
  const std::string& Number() const { return number_; }
  const std::string& Name() const { return name_; }

  QGroupBox* gbAbonent;
  QLabel* lNumber;
  QLabel* lName;
  QLineEdit* edNumber;
  QLineEdit* edName;
  QPushButton* btnOK;
  QPushButton* btnCancel;

  QString ExistsText = "This Number alredy exists!!!";

  void edChange();
  void btnOKClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::string bookPath_;
  zvonar::Prompts* prompts_;
  QString replaceQuestion_;
  zvonar::LanguageFile lang_;
  int nameWidth_ = 50;
  // The name shown when the dialog opened.
  QString shownName_;
  std::string editedNumber_;
  std::string number_;
  std::string name_;
};
