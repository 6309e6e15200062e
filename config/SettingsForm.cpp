// The Settings dialog's controls, each bound to one setting, and their click
// rules: the counts height edit follows its check box, the town code edit
// shows only for the prefix mode, the primary service number box follows
// its check box, and Count Filter Statistic switches the statistic menu
// items of the main window and the print option at once.
#include "config/SettingsForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "config/AddedTexts.h"
#include "config/DialogLimits.h"
#include "ui/Busy.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "ui/QtLanguage.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

QCheckBox* CheckBox(const char* name, const QString& caption, QWidget* parent) {
  return Named(new QCheckBox(caption, parent), name);
}

}  // namespace

TSettingsForm::TSettingsForm(MainSettings* settings, SettingsFormLinks links, QWidget* parent)
    : TConfigDialog("SettingsForm", "Settings", links.prompts, parent), settings_(settings), links_(std::move(links)) {
  CreateControls();
  LanguageFile lang;
  if (LoadDialogLanguage(links_.programDir, settings_->language, &lang)) {
    ApplyLanguage(lang);
    SetComboItemsKeepText(edPrimaryServiceNumber, links_.owners);
  }
  btnLanguage->setToolTip(ToQt(TextOf(lang, AddedText::LanguageFileTip)));
  LoadControls();

  const auto on = [this](auto* sender, auto signal, void (TSettingsForm::*handler)()) {
    connect(sender, signal, this, Guarded(this, handler, prompts_));
  };
  on(btnLanguage, &QPushButton::clicked, &TSettingsForm::btnLanguageClick);
  on(cbSetCountsHeight, &QCheckBox::clicked, &TSettingsForm::cbSetCountsHeightClick);
  on(rbAsIs, &QRadioButton::clicked, &TSettingsForm::rgModePhoneCodeClick);
  on(rbAnalysePrefix, &QRadioButton::clicked, &TSettingsForm::rgModePhoneCodeClick);
  on(cbCountFilterStatistic, &QCheckBox::clicked, &TSettingsForm::cbCountFilterStatisticClick);
  on(cbPrimaryServiceNumber, &QCheckBox::clicked, &TSettingsForm::cbPrimaryServiceNumberClick);
}

void TSettingsForm::CreateControls() {
  SetGroupBox = Named(new QGroupBox(this), "SetGroupBox");
  auto* grid = new QGridLayout(SetGroupBox);
  int row = 0;
  const auto pair = [&](QWidget* left, QWidget* right) {
    grid->addWidget(left, row, 0);
    grid->addWidget(right, row++, 1);
  };
  const auto whole = [&](QWidget* w) { grid->addWidget(w, row++, 0, 1, 2); };

  lLanguage = Named(new QLabel("Language:", SetGroupBox), "lLanguage");
  btnLanguage = Named(new QPushButton("Language", SetGroupBox), "btnLanguage");
  pair(lLanguage, btnLanguage);
  lFontSize = Named(new QLabel("Font Size:", SetGroupBox), "lFontSize");
  seFontSize = LimitedSpinBox("seFontSize", kFontSizeLimits, SetGroupBox);
  pair(lFontSize, seFontSize);
  cbSetCountsHeight = CheckBox("cbSetCountsHeight", "Set Counts Height:", SetGroupBox);
  seCountsHeight = LimitedSpinBox("seCountsHeight", kCountsHeightLimits, SetGroupBox);
  pair(cbSetCountsHeight, seCountsHeight);

  cbFillAbonNamesOnAddDetalization =
      CheckBox("cbFillAbonNamesOnAddDetalization", "Fill Abonent Names On Add Detalization", SetGroupBox);
  cbFillCodesTypesOnAddDetalization =
      CheckBox("cbFillCodesTypesOnAddDetalization", "Fill Codes && Types On Add Detalization", SetGroupBox);
  cbConfirmDelete = CheckBox("cbConfirmDelete", "Confirm Delete", SetGroupBox);
  cbSaveAddDetalizationDir = CheckBox("cbSaveAddDetalizationDir", "Remember 'Add Detalization' Directory", SetGroupBox);
  cbSaveTypeCodeDecryption = CheckBox("cbSaveTypeCodeDecryption", "Save Types && Codes decryption", SetGroupBox);
  cbCountFilterStatistic = CheckBox("cbCountFilterStatistic", "Count Filter Statistic", SetGroupBox);
  cbAddFilterStatisticOnPrint = CheckBox("cbAddFilterStatisticOnPrint", "Add Filter Statistic on Print", SetGroupBox);
  cbShowSplash = CheckBox("cbShowSplash", "Show Splash Window", SetGroupBox);
  cbForceDateIndex = CheckBox("cbForceDateIndex", "Force Date Index", SetGroupBox);
  cbSimpleDBF = CheckBox("cbSimpleDBF", "No use Database Index", SetGroupBox);
  for (QCheckBox* box : {cbFillAbonNamesOnAddDetalization, cbFillCodesTypesOnAddDetalization, cbConfirmDelete,
                         cbSaveAddDetalizationDir, cbSaveTypeCodeDecryption, cbCountFilterStatistic,
                         cbAddFilterStatisticOnPrint, cbShowSplash, cbForceDateIndex, cbSimpleDBF})
    whole(box);

  lDefaultDetalExt = Named(new QLabel("Default Detalization Extension:", SetGroupBox), "lDefaultDetalExt");
  cbDefaultDetalExt = Named(new QComboBox(SetGroupBox), "cbDefaultDetalExt");
  cbDefaultDetalExt->addItems({"*.txt", "*.html"});
  pair(lDefaultDetalExt, cbDefaultDetalExt);

  rgModePhoneCode = Named(new QGroupBox(" Mode Phone Code ", SetGroupBox), "rgModePhoneCode");
  rbAsIs = Named(new QRadioButton("As Is", rgModePhoneCode), "rbAsIs");
  rbAnalysePrefix = Named(new QRadioButton("Analyse prefix (include Town Code)", rgModePhoneCode), "rbAnalysePrefix");
  auto* modes = new QButtonGroup(rgModePhoneCode);
  modes->addButton(rbAsIs, 0);
  modes->addButton(rbAnalysePrefix, 1);
  edPhoneCodeTown = Named(new QLineEdit(rgModePhoneCode), "edPhoneCodeTown");
  auto* modeLayout = new QGridLayout(rgModePhoneCode);
  modeLayout->addWidget(rbAsIs, 0, 0, 1, 2);
  modeLayout->addWidget(rbAnalysePrefix, 1, 0);
  modeLayout->addWidget(edPhoneCodeTown, 1, 1);
  whole(rgModePhoneCode);

  cbPrimaryServiceNumber = CheckBox("cbPrimaryServiceNumber", "Primary Service Number", SetGroupBox);
  edPrimaryServiceNumber = Named(new QComboBox(SetGroupBox), "edPrimaryServiceNumber");
  edPrimaryServiceNumber->setEditable(true);
  edPrimaryServiceNumber->setInsertPolicy(QComboBox::NoInsert);
  pair(cbPrimaryServiceNumber, edPrimaryServiceNumber);
  grid->setColumnStretch(1, 1);

  LayOutGroups({SetGroupBox});
}

void TSettingsForm::ApplyLanguage(const LanguageFile& lang) {
  const auto line = [&](std::size_t i) { return QtCaption(lang.Line(i)); };
  const auto plain = [&](std::size_t i) { return QtPlain(lang.Line(i)); };
  if (lang.HasGroup(72)) {
    setWindowTitle(plain(41));
    lLanguage->setText(plain(57));
    cbSetCountsHeight->setText(line(58));
    cbFillCodesTypesOnAddDetalization->setText(line(59));
    cbConfirmDelete->setText(line(60));
    cbSaveAddDetalizationDir->setText(line(61));
    cbSaveTypeCodeDecryption->setText(line(67));
    rgModePhoneCode->setTitle(QtCaption(lang.Framed(68)));
    rbAsIs->setText(line(69));
    rbAnalysePrefix->setText(line(70));
    cbFillAbonNamesOnAddDetalization->setText(line(71));
    btnClose->setText(line(43));
  }
  if (lang.HasGroup(81)) {
    cbCountFilterStatistic->setText(line(79));
    cbAddFilterStatisticOnPrint->setText(line(80));
  }
  if (lang.HasGroup(119)) {
    cbShowSplash->setText(line(113));
    cbForceDateIndex->setText(line(114));
    lDefaultDetalExt->setText(plain(115));
    lFontSize->setText(plain(116));
    cbSimpleDBF->setText(line(117));
    cbPrimaryServiceNumber->setText(line(118));
  }
}

void TSettingsForm::LoadControls() {
  const MainSettings& s = *settings_;
  ShowLanguage();
  seFontSize->setValue(s.fontSize);
  seCountsHeight->setValue(s.countsHeight);
  cbSetCountsHeight->setChecked(s.setCountsHeight);
  cbSetCountsHeightClick();
  cbFillAbonNamesOnAddDetalization->setChecked(s.fillAbonNamesOnAddDetalization);
  cbFillCodesTypesOnAddDetalization->setChecked(s.fillCodesTypesOnAddDetalization);
  cbConfirmDelete->setChecked(s.confirmDelete);
  cbSaveAddDetalizationDir->setChecked(s.saveAddDetalizationDir);
  cbSaveTypeCodeDecryption->setChecked(s.saveTypeCodeDecryption);
  cbAddFilterStatisticOnPrint->setChecked(s.addFilterStatisticOnPrint);
  cbCountFilterStatistic->setChecked(s.countFilterStatistic);
  cbCountFilterStatisticClick();
  cbShowSplash->setChecked(s.showSplash);
  cbForceDateIndex->setChecked(s.forceDateIndex);
  cbSimpleDBF->setChecked(s.simpleDbf);
  cbDefaultDetalExt->setCurrentIndex(s.defaultDetalExtId == 2 ? 1 : 0);
  (s.modePhoneCode == 1 ? rbAnalysePrefix : rbAsIs)->setChecked(true);
  edPhoneCodeTown->setText(ToQt(s.phoneCodeTown));
  rgModePhoneCodeClick();
  cbPrimaryServiceNumber->setChecked(s.usePrimaryServiceNumber);
  edPrimaryServiceNumber->setEditText(ToQt(s.primaryServiceNumber));
  cbPrimaryServiceNumberClick();
}

void TSettingsForm::ShowLanguage() {
  if (!settings_->language.empty()) btnLanguage->setText(ToQt(settings_->language));
}

bool TSettingsForm::StoreControls() {
  std::string town, primary;
  QString error;
  if (!FromQt(edPhoneCodeTown->text(), &town, &error) ||
      !FromQt(edPrimaryServiceNumber->currentText(), &primary, &error)) {
    prompts_->ShowError(error);
    return false;
  }
  MainSettings& s = *settings_;
  s.fontSize = seFontSize->value();
  s.setCountsHeight = cbSetCountsHeight->isChecked();
  s.countsHeight = seCountsHeight->value();
  s.fillAbonNamesOnAddDetalization = cbFillAbonNamesOnAddDetalization->isChecked();
  s.fillCodesTypesOnAddDetalization = cbFillCodesTypesOnAddDetalization->isChecked();
  s.confirmDelete = cbConfirmDelete->isChecked();
  s.saveAddDetalizationDir = cbSaveAddDetalizationDir->isChecked();
  s.saveTypeCodeDecryption = cbSaveTypeCodeDecryption->isChecked();
  s.countFilterStatistic = cbCountFilterStatistic->isChecked();
  s.addFilterStatisticOnPrint = cbAddFilterStatisticOnPrint->isChecked();
  s.showSplash = cbShowSplash->isChecked();
  s.forceDateIndex = cbForceDateIndex->isChecked();
  s.simpleDbf = cbSimpleDBF->isChecked();
  s.defaultDetalExtId = static_cast<uint8_t>(cbDefaultDetalExt->currentIndex() + 1);
  s.modePhoneCode = rbAnalysePrefix->isChecked() ? 1 : 0;
  s.phoneCodeTown = std::move(town);
  s.usePrimaryServiceNumber = cbPrimaryServiceNumber->isChecked();
  s.primaryServiceNumber = std::move(primary);
  return true;
}

void TSettingsForm::btnLanguageClick() {
  QString filter = FileTypeFilter(AddedText::FileTypeLanguage, "*.lng");
  const QString chosen = prompts_->ChooseOpenFile(filter, QtPathFromNative(links_.programDir), &filter);
  if (chosen.isEmpty()) return;
  // Only the base name is kept: the file is looked for in the data
  // directory at the next start.
  std::string baseName;
  QString error;
  if (!FromQt(QFileInfo(chosen).completeBaseName(), &baseName, &error)) {
    prompts_->ShowError(error);
    return;
  }
  if (!links_.applyLanguage(NativePathFromQt(chosen))) {
    prompts_->ShowError(LanguageText(AddedText::LanguageFileError));
    return;
  }
  settings_->language = baseName;
  ShowLanguage();
}

void TSettingsForm::cbSetCountsHeightClick() {
  seCountsHeight->setEnabled(cbSetCountsHeight->isChecked());
}

void TSettingsForm::rgModePhoneCodeClick() {
  const bool prefix = rbAnalysePrefix->isChecked();
  edPhoneCodeTown->setVisible(prefix);
  edPhoneCodeTown->setEnabled(prefix);
}

void TSettingsForm::cbCountFilterStatisticClick() {
  const bool on = cbCountFilterStatistic->isChecked();
  if (links_.countFilterStatisticChanged) links_.countFilterStatisticChanged(on);
  cbAddFilterStatisticOnPrint->setEnabled(on);
  if (!on) cbAddFilterStatisticOnPrint->setChecked(false);
}

void TSettingsForm::cbPrimaryServiceNumberClick() {
  edPrimaryServiceNumber->setEnabled(cbPrimaryServiceNumber->isChecked());
}
