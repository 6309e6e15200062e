// Controls of the DB Fields dialog. DateTime is a date-time field whose size
// is fixed, and the Sec width follows the durations the bills hold, so both
// are shown but not edited.
#include "config/DBFieldsForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "config/AddedTexts.h"
#include "config/DialogLimits.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

const char* const kSpinNames[12] = {"seOwner_Field", "seDateTime_Field", "seNumber_Field", "seAbonent_Field",
                                    "seCode_Field",  "seType_Field",     "seSec_Field",    "seMin_Field",
                                    "seCost_Field",  "seMTP_Field",      "seAll_Field",    "seRoaming_Field"};
const char* const kCaptions[12] = {
    "Owner Field:", "DateTime Field:", "Number Field:", "Abonent Field:", "Code Field:", "Type Field:",
    "Sec Field:",   "Min Field:",      "Cost Field:",   "MTP Field:",     "All Field:",  "Roaming Field:"};
// The labels' language lines follow one another in field order.
constexpr std::size_t kFirstFieldLabel = static_cast<std::size_t>(AddedText::OwnerFieldLabel);
static_assert(static_cast<std::size_t>(AddedText::RoamingFieldLabel) == kFirstFieldLabel + 11);
constexpr std::size_t kDateTime = 1;
constexpr std::size_t kSec = 6;

}  // namespace

TDBFieldsForm::TDBFieldsForm(MainSettings* settings, const std::string& programDir, Prompts* prompts, QWidget* parent)
    : TConfigDialog("DBFieldsForm", "DB Fields", prompts, parent), settings_(settings) {
  gbDBType = Named(new QGroupBox(" DB Type ", this), "gbDBType");
  lDBType = Named(new QLabel("DB Type:", gbDBType), "lDBType");
  cbDBType = Named(new QComboBox(gbDBType), "cbDBType");
  cbDBType->setEditable(true);
  cbDBType->setInsertPolicy(QComboBox::NoInsert);
  cbDBType->addItems({"dbf", "txt"});
  auto* typeRow = new QHBoxLayout(gbDBType);
  typeRow->addWidget(lDBType);
  typeRow->addWidget(cbDBType, 1);

  gbFieldsLength = Named(new QGroupBox(" Fields Length ", this), "gbFieldsLength");
  auto* form = new QFormLayout(gbFieldsLength);
  for (std::size_t i = 0; i < spins.size(); ++i) {
    labels[i] = new QLabel(kCaptions[i], gbFieldsLength);
    spins[i] = LimitedSpinBox(kSpinNames[i], kFieldWidthLimits[i], gbFieldsLength);
    spins[i]->setValue(settings_->fieldWidths[i]);
    form->addRow(labels[i], spins[i]);
  }
  // Whatever size the settings give the date-time field is kept.
  spins[kDateTime]->setRange(settings_->fieldWidths[kDateTime], settings_->fieldWidths[kDateTime]);
  spins[kDateTime]->setValue(settings_->fieldWidths[kDateTime]);
  spins[kDateTime]->setReadOnly(true);
  labels[kDateTime]->setEnabled(false);
  spins[kSec]->setReadOnly(true);

  LayOutGroups({gbDBType, gbFieldsLength});

  LanguageFile lang;
  if (LoadDialogLanguage(programDir, settings_->language, &lang)) {
    if (lang.HasGroup(44)) btnClose->setText(QtCaption(lang.Line(43)));
    if (lang.HasGroup(84)) setWindowTitle(QtPlain(lang.Line(83)));
    const std::string dbType = TextOf(lang, AddedText::DBTypeCaption);
    gbDBType->setTitle(QtCaption(" " + dbType + " "));
    lDBType->setText(QtPlain(dbType + ":"));
    gbFieldsLength->setTitle(QtCaption(" " + TextOf(lang, AddedText::FieldsLengthCaption) + " "));
    for (std::size_t i = 0; i < labels.size(); ++i)
      labels[i]->setText(QtPlain(TextOf(lang, static_cast<AddedText>(kFirstFieldLabel + i))));
  }
  cbDBType->setEditText(ToQt(settings_->dbType));
}

bool TDBFieldsForm::StoreControls() {
  std::string dbType;
  QString error;
  if (!FromQt(cbDBType->currentText(), &dbType, &error)) {
    prompts_->ShowError(error);
    return false;
  }
  // A type that would name another file of the program is not kept.
  const std::string refusal = DbTypeRefusal(dbType);
  if (!refusal.empty()) {
    prompts_->ShowError(QString::fromStdString(refusal.substr(0, refusal.find("; "))));
    return false;
  }
  settings_->dbType = std::move(dbType);
  for (std::size_t i = 0; i < spins.size(); ++i) settings_->fieldWidths[i] = spins[i]->value();
  return true;
}
