// The configuration commands of the Service menu. Each dialog edits the
// settings of the run in memory; settings.ini and fields.dat are written at
// exit. After the Settings dialog the window follows what changed: the
// statistic list or the legend labels, the fonts and the counts row.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTreeView>

#include "app/MainForm.h"
#include "config/DBFieldsForm.h"
#include "config/RegisterFieldsForm.h"
#include "config/ServicesIDForm.h"
#include "config/SettingsForm.h"

using namespace zvonar;

namespace {

QStringList ItemsOf(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

}  // namespace

void TMainForm::mnSettingsClick() {
  const MainSettings before = settings_;
  SettingsFormLinks links;
  links.programDir = programDir_;
  links.prompts = prompts_;
  links.owners = ItemsOf(edFilterOwner);
  links.countFilterStatisticChanged = [this](bool on) {
    mnPrintFilterStat->setEnabled(on);
    mnCountFilterStatistic->setEnabled(on);
  };
  links.applyLanguage = [this](const std::string& path) { return LoadLanguage(path); };
  {
    TSettingsForm form(&settings_, std::move(links), this);
    form.exec();
  }
  const bool statistic = settings_.countFilterStatistic;
  if (lvStat->isHidden() == statistic) {
    lvStat->setVisible(statistic);
    lType->setVisible(!statistic);
    lCode->setVisible(!statistic);
  }
  if (settings_.fontSize != before.fontSize || settings_.countsHeight != before.countsHeight ||
      settings_.setCountsHeight != before.setCountsHeight) {
    // As a new start would: widths the user set stay, the defaults fit the
    // new font, and the grid's columns stand under the list's again.
    StoreSizes();
    ApplyFontAndCountsHeight(settings_.fontSize, settings_.countsHeight, settings_.setCountsHeight);
    ApplyStoredSizes();
    SetupGridColumns();
  }
}

void TMainForm::mnServicesIDClick() {
  TServicesIDForm form(&settings_, programDir_, ItemsOf(cbFilterType), prompts_, this);
  form.exec();
}

void TMainForm::mnRegisterFieldsClick() {
  TRegisterFieldsForm form(&registerFieldsFile_, programDir_, settings_.language, prompts_, this);
  form.exec();
}

void TMainForm::mnDBFieldsClick() {
  TDBFieldsForm form(&settings_, programDir_, prompts_, this);
  form.exec();
}
