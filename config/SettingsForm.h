// The Settings dialog: the general settings of the run and the language
// file. It edits the main window's settings directly, loading them when
// created and storing them through Close; a picked language file is applied
// to the main window at once.
#pragma once

#include <QStringList>
#include <functional>
#include <string>

#include "config/ConfigDialog.h"
#include "config/MainSettings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// What the dialog needs of the main window.
struct SettingsFormLinks {
  std::string programDir;  // ends with "/"
  zvonar::Prompts* prompts = nullptr;
  QStringList owners;  // the items of the owner box
  // Enables the statistic menu items to the Count Filter Statistic state.
  std::function<void(bool)> countFilterStatisticChanged;
  // Applies a language file to the main window; false when it could not be read.
  std::function<bool(const std::string& path)> applyLanguage;
};

class TSettingsForm : public TConfigDialog {
  Q_OBJECT

 public:
  TSettingsForm(zvonar::MainSettings* settings, SettingsFormLinks links, QWidget* parent = nullptr);

  QGroupBox* SetGroupBox;
  QLabel* lLanguage;
  QPushButton* btnLanguage;
  QLabel* lFontSize;
  QSpinBox* seFontSize;
  QCheckBox* cbSetCountsHeight;
  QSpinBox* seCountsHeight;
  QCheckBox* cbFillAbonNamesOnAddDetalization;
  QCheckBox* cbFillCodesTypesOnAddDetalization;
  QCheckBox* cbConfirmDelete;
  QCheckBox* cbSaveAddDetalizationDir;
  QCheckBox* cbSaveTypeCodeDecryption;
  QCheckBox* cbCountFilterStatistic;
  QCheckBox* cbAddFilterStatisticOnPrint;
  QCheckBox* cbShowSplash;
  QCheckBox* cbForceDateIndex;
  QCheckBox* cbSimpleDBF;
  QLabel* lDefaultDetalExt;
  QComboBox* cbDefaultDetalExt;
  QGroupBox* rgModePhoneCode;
  QRadioButton* rbAsIs;
  QRadioButton* rbAnalysePrefix;
  QLineEdit* edPhoneCodeTown;
  QCheckBox* cbPrimaryServiceNumber;
  QComboBox* edPrimaryServiceNumber;

  void btnLanguageClick();
  void cbSetCountsHeightClick();
  void rgModePhoneCodeClick();
  void cbCountFilterStatisticClick();
  void cbPrimaryServiceNumberClick();

 protected:
  bool StoreControls() override;

 private:
  void CreateControls();
  void ApplyLanguage(const zvonar::LanguageFile& lang);
  void LoadControls();
  void ShowLanguage();

  zvonar::MainSettings* settings_;
  SettingsFormLinks links_;
};
