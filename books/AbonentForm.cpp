// TAbonentForm: a group box with the number on the left and the name on
// the right, OK and Cancel below. Escape cancels.
#include "books/AbonentForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "books/AbonentsBook.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "ui/Busy.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

// The code page 1251 bytes of `text`, or as many placeholders as it has
// characters when the code page cannot hold it, so that the OK rule counts
// characters either way.
std::string Counted(const QString& text) {
  std::string bytes;
  return FromQt(text, &bytes) ? bytes : std::string(static_cast<std::size_t>(text.toUcs4().size()), '?');
}

}  // namespace

TAbonentForm::TAbonentForm(std::string bookPath, Prompts* prompts, QWidget* parent)
    : QDialog(parent),
      bookPath_(std::move(bookPath)),
      prompts_(prompts),
      replaceQuestion_(ToQt(EnglishText(AddedText::ReplaceStoredName))) {
  setObjectName("AbonentForm");
  setWindowTitle("Abonent");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  gbAbonent = new QGroupBox(" Abonent ", this);
  gbAbonent->setObjectName("gbAbonent");
  lNumber = new QLabel("Number:", gbAbonent);
  lNumber->setObjectName("lNumber");
  lName = new QLabel("Name:", gbAbonent);
  lName->setObjectName("lName");
  edNumber = new QLineEdit(gbAbonent);
  edNumber->setObjectName("edNumber");
  edName = new QLineEdit(gbAbonent);
  edName->setObjectName("edName");
  lNumber->setBuddy(edNumber);
  lName->setBuddy(edName);
  auto* fields = new QGridLayout(gbAbonent);
  fields->addWidget(lNumber, 0, 0);
  fields->addWidget(lName, 0, 1);
  fields->addWidget(edNumber, 1, 0);
  fields->addWidget(edName, 1, 1);
  fields->setColumnStretch(0, 2);
  fields->setColumnStretch(1, 3);

  btnOK = new QPushButton("OK", this);
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  btnCancel = new QPushButton("Cancel", this);
  btnCancel->setObjectName("btnCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gbAbonent);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  edNumber->setMinimumWidth(edNumber->fontMetrics().averageCharWidth() * 18);
  edName->setMinimumWidth(edName->fontMetrics().averageCharWidth() * 28);

  connect(edNumber, &QLineEdit::textChanged, this, [this] { edChange(); });
  connect(edName, &QLineEdit::textChanged, this, [this] { edChange(); });
  connect(btnOK, &QPushButton::clicked, this, Guarded(this, &TAbonentForm::btnOKClick, prompts_));
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TAbonentForm::ApplyLanguage(const LanguageFile& lang) {
  lang_ = lang;
  replaceQuestion_ = ToQt(TextOf(lang, AddedText::ReplaceStoredName));
  if (!lang.HasGroup(56)) return;
  setWindowTitle(ToQt(PlainCaption(lang.Line(7))));
  gbAbonent->setTitle(QtCaption(lang.Framed(7)));
  lNumber->setText(QtCaption(lang.WithColon(6)));  // labels with a buddy read mnemonics
  lName->setText(QtCaption(lang.WithColon(45)));
  btnCancel->setText(QtCaption(lang.Line(44)));
  ExistsText = ToQt(PlainCaption(lang.Line(55)));
}

void TAbonentForm::SetFontSize(int fontSize) {
  for (QLineEdit* edit : {edNumber, edName}) {
    QFont font = edit->font();
    font.setPointSize(std::max(1, fontSize));
    edit->setFont(font);
  }
}

void TAbonentForm::SetEntry(const QString& number, const QString& name, const QString& editedNumber) {
  edNumber->setText(number);
  edName->setText(name);
  editedNumber_ = FromQtLossy(editedNumber);
}

void TAbonentForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  shownName_ = edName->text();
  edChange();
  edNumber->setFocus();
}

void TAbonentForm::edChange() {
  btnOK->setEnabled(AbonentEntryComplete(Counted(edNumber->text()), Counted(edName->text())));
}

void TAbonentForm::btnOKClick() {
  std::string number, name;
  QString error;
  if (!FromQt(edNumber->text(), &number, &error) || !FromQt(edName->text(), &name, &error)) {
    prompts_->ShowError(error);
    return;
  }
  const StoredTextCheck check = CheckAbonentName(name, nameWidth_);
  if (!check.ok()) {
    prompts_->ShowError(ToQt(StoredTextMessage(check, lang_)));
    return;
  }
  const std::string fault = AbonentEntryFault(number, name, lang_);
  if (!fault.empty()) {
    prompts_->ShowError(ToQt(fault));
    return;
  }
  // The book as it is now: another program may have changed it since the
  // list was loaded. An unreadable book is reported when the entry is saved.
  std::vector<AbonentEntry> book;
  std::string stored;
  if (LoadAbonentsBook(bookPath_, &book).ok() && ReplacesAnotherName(book, editedNumber_, number, name, &stored) &&
      !prompts_->AskYesNo(ExistsText + "\n" + replaceQuestion_.arg(ToQt(stored))))
    return;
  number_ = std::move(number);
  name_ = std::move(name);
  accept();
}
