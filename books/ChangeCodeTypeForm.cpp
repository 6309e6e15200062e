#include "books/ChangeCodeTypeForm.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "config/LanguageFile.h"
#include "store/DetalTable.h"
#include "ui/Busy.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

using namespace zvonar;

TChangeCodeTypeForm::TChangeCodeTypeForm(const std::string& programDir, const std::string& languageName,
                                         const QStringList& items, Prompts* prompts, const BookFieldWidths& widths,
                                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), prompts_(prompts), widths_(widths) {
  setObjectName("ChangeCodeTypeForm");
  setWindowTitle("Change Code / Type");
  setFixedSize(300, 214);

  rgMode = new QGroupBox(" Mode ", this);
  rgMode->setGeometry(8, 8, 284, 44);
  rbCode = new QRadioButton("Code", rgMode);
  rbCode->setGeometry(10, 18, 130, 20);
  rbCode->setChecked(true);
  rbType = new QRadioButton("Type", rgMode);
  rbType->setGeometry(150, 18, 130, 20);

  gbChange = new QGroupBox(" Change ", this);
  gbChange->setGeometry(8, 58, 284, 110);
  const auto box = [&](QLabel** label, QComboBox** combo, const char* caption, int top) {
    *label = new QLabel(caption, gbChange);
    (*label)->setGeometry(10, top, 264, 16);
    *combo = new QComboBox(gbChange);
    (*combo)->setEditable(true);
    (*combo)->addItems(items);
    (*combo)->setCurrentIndex(-1);
    (*combo)->setGeometry(10, top + 18, 264, 24);
  };
  box(&lFilter1, &cbFilter1, "Text to Find:", 18);
  box(&lFilter2, &cbFilter2, "Replace with:", 62);

  btnOK = new QPushButton("OK", this);
  btnOK->setGeometry(130, 178, 75, 25);
  btnOK->setDefault(true);
  connect(btnOK, &QPushButton::clicked, this, Guarded(this, &TChangeCodeTypeForm::btnOKClick, prompts_));
  btnCancel = new QPushButton("Cancel", this);
  btnCancel->setGeometry(217, 178, 75, 25);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  LanguageFile& lang = lang_;
  if (languageName.empty() || !LanguageFile::Load(LanguageFilePath(programDir, languageName), &lang).ok()) return;
  if (lang.HasGroup(45)) {
    rbCode->setText(QtCaption(lang.Line(8)));
    rbType->setText(QtCaption(lang.Line(9)));
    btnCancel->setText(QtCaption(lang.Line(44)));
  }
  if (lang.HasGroup(67)) {
    setWindowTitle(ToQt(PlainCaption(lang.Line(63) + " " + lang.Line(50))));
    rgMode->setTitle(QtCaption(lang.Framed(64)));
    gbChange->setTitle(QtCaption(lang.Framed(63)));
    lFilter1->setText(QtPlain(lang.WithColon(65)));
    lFilter2->setText(QtPlain(lang.WithColon(66)));
  }
}

int TChangeCodeTypeForm::Mode() const {
  return rbType->isChecked() ? 1 : 0;
}

void TChangeCodeTypeForm::btnOKClick() {
  // An empty text changes nothing: the command stops after the dialog.
  const QString replace = cbFilter2->currentText();
  std::string text;
  QString error;
  if (!replace.isEmpty() && !FromQt(replace, &text, &error)) return prompts_->ShowError(error);
  const bool type = Mode() == 1;
  const StoredTextCheck check =
      CheckStoredText(text, DetalFieldName(type ? kTypeField : kCodeField), type ? widths_.type : widths_.code);
  if (!check.ok()) return prompts_->ShowError(ToQt(StoredTextMessage(check, lang_)));
  accept();
}

namespace zvonar {

bool AskChangeCodeType(QWidget* parent, const std::string& programDir, const std::string& languageName,
                       const QStringList& items, Prompts* prompts, const BookFieldWidths& widths, int* mode,
                       QString* find, QString* replace) {
  TChangeCodeTypeForm form(programDir, languageName, items, prompts, widths, parent);
  if (form.exec() != QDialog::Accepted) return false;
  *mode = form.Mode();
  *find = form.cbFilter1->currentText();
  *replace = form.cbFilter2->currentText();
  return true;
}

}  // namespace zvonar
