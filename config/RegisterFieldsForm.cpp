// Controls of the Register Fields dialog: the bill's money lines in the
// upper group, the section markers and the rest in the lower one. A text is
// kept exactly as typed, leading and trailing blanks included.
#include "config/RegisterFieldsForm.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "config/DialogLimits.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

struct EditSpec {
  const char* edit;
  const char* label;  // null: no label
  const char* caption;
};

// In the order of the lines of fields.dat.
const EditSpec kEdits[kRegisterTextCount] = {
    {"edAbonPay", "lAbonPay", "Abonent Pay:"},
    {"edMinTrafPay", "lMinTrafPay", "Min Traffic Pay:"},
    {"edAddAbonPay", "lAddAbonPay", "Add Abon Pay:"},
    {"edAddService1", "lAddService1", "Add Service 1:"},
    {"edAddService2", "lAddService2", "Add Service 2:"},
    {"edAddService3", "lAddService3", "Add Service 3:"},
    {"edVedomostRoaming", "lVedomostRoaming", "Roaming Bordereau:"},
    {"edVedomostAdding", "lVedomostAdding", "Adding Bordereau:"},
    {"edVedomostTalk", "lVedomostTalk", "Talk Bordereau:"},
    {"edType", "lType", "Type:"},
    {"edCode", "lCode", "Code:"},
    {"edSpaces5", "lSpaces5", "Spaces (5):"},
    {"edMinus", "lMinus", "Minus:"},
    {"edBalanceInfo", nullptr, ""},
    {"edBalanceDate", nullptr, ""},
};

// Edits 0..5 are in the upper group.
constexpr int kUpperEdits = 6;

}  // namespace

TRegisterFieldsForm::TRegisterFieldsForm(RegisterFields* fields, const std::string& programDir,
                                         const std::string& language, Prompts* prompts, QWidget* parent)
    : TConfigDialog("RegisterFieldsForm", "Register Fields", prompts, parent), fields_(fields) {
  gbVedFields = Named(new QGroupBox(this), "gbVedFields");
  gbVedFields2 = Named(new QGroupBox(this), "gbVedFields2");
  auto* upper = new QFormLayout(gbVedFields);
  auto* lower = new QFormLayout(gbVedFields2);
  for (int i = 0; i < kRegisterTextCount; ++i) {
    QGroupBox* group = i < kUpperEdits ? gbVedFields : gbVedFields2;
    edits[i] = Named(new QLineEdit(group), kEdits[i].edit);
    labels[i] = kEdits[i].label ? Named(new QLabel(kEdits[i].caption, group), kEdits[i].label) : nullptr;
    QFormLayout* form = i < kUpperEdits ? upper : lower;
    if (labels[i] != nullptr)
      form->addRow(labels[i], edits[i]);
    else
      form->addRow(QString(), edits[i]);
  }
  lDateLength = Named(new QLabel("Date Length:", gbVedFields2), "lDateLength");
  seDateLength = LimitedSpinBox("seDateLength", kDateLengthLimits, gbVedFields2);
  lower->addRow(lDateLength, seDateLength);

  LayOutGroups({gbVedFields, gbVedFields2});

  LanguageFile lang;
  if (LoadDialogLanguage(programDir, language, &lang)) ApplyLanguage(lang);

  // The held lines always number at least sixteen: a shorter fields.dat was
  // read as the designed texts.
  // The edits are as wide as the longest text they show, so that none of
  // the bill's markers is cut.
  int widest = fontMetrics().averageCharWidth() * 48;
  for (int i = 0; i < kRegisterTextCount; ++i) {
    edits[i]->setText(ToQt(fields_->Text(static_cast<RegisterField>(i))));
    widest = std::max(widest, edits[i]->fontMetrics().horizontalAdvance(edits[i]->text()) + 16);
  }
  for (QLineEdit* edit : edits) edit->setMinimumWidth(widest);
  seDateLength->setValue(fields_->DateLength());
}

void TRegisterFieldsForm::ApplyLanguage(const LanguageFile& lang) {
  const auto colon = [&](std::size_t i) { return ToQt(PlainCaption(lang.WithColon(i))); };
  if (lang.HasGroup(44)) {
    labels[static_cast<int>(RegisterField::TypeMarker)]->setText(colon(9));
    labels[static_cast<int>(RegisterField::CodeMarker)]->setText(colon(8));
    btnClose->setText(QtCaption(lang.Line(43)));
  }
  if (lang.HasGroup(109)) {
    setWindowTitle(ToQt(PlainCaption(lang.Line(82))));
    for (int i = 0; i <= static_cast<int>(RegisterField::VedomostTalk); ++i)
      labels[i]->setText(colon(97 + static_cast<std::size_t>(i)));
    labels[static_cast<int>(RegisterField::Spaces5)]->setText(colon(106));
    labels[static_cast<int>(RegisterField::Minus)]->setText(colon(107));
    lDateLength->setText(colon(108));
  }
}

bool TRegisterFieldsForm::StoreControls() {
  std::array<std::string, kRegisterTextCount> texts;
  QString error;
  for (int i = 0; i < kRegisterTextCount; ++i) {
    if (!FromQt(edits[i]->text(), &texts[i], &error)) {
      prompts_->ShowError(error);
      return false;
    }
  }
  // Lines 1..16 take the new values; any further lines stay.
  for (int i = 0; i < kRegisterTextCount; ++i) fields_->SetText(static_cast<RegisterField>(i), std::move(texts[i]));
  fields_->SetDateLength(seDateLength->value());
  return true;
}
