// Handlers of the control panel: the check boxes enable their value boxes,
// Exclude marks the inverted criteria in lime green, and the index rule
// picks the table order the filter walks (Owner, or DateTime when the date
// criterion is ticked or the DateTime index is forced).
#include <QApplication>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "app/MainForm.h"
#include "import/Times.h"
#include "ui/AboutForm.h"
#include "ui/Busy.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

using namespace zvonar;

void TMainForm::ConnectHandlers() {
  const auto on = [this](auto* sender, auto signal, void (TMainForm::*handler)()) {
    connect(sender, signal, this, Guarded(this, handler, prompts_));
  };
  on(chkbFilterOwner, &QCheckBox::clicked, &TMainForm::chkbFilterOwnerClick);
  on(chkbFilterDate, &QCheckBox::clicked, &TMainForm::chkbFilterDateClick);
  on(chkbFilterNumber, &QCheckBox::clicked, &TMainForm::chkbFilterNumberClick);
  on(chkbFilterCode, &QCheckBox::clicked, &TMainForm::chkbFilterCodeClick);
  on(chkbFilterType, &QCheckBox::clicked, &TMainForm::chkbFilterTypeClick);
  for (QCheckBox* box : {chkbFilterOperCode, chkbFilterCalls, chkbFilterSMS, chkbFilterMMS, chkbFilterNull})
    on(box, &QCheckBox::clicked, &TMainForm::chkbFilterOperCodeClick);
  on(chkbFilterExclude, &QCheckBox::clicked, &TMainForm::chkbFilterExcludeClick);
  on(edFilterOwner, &QComboBox::currentTextChanged, &TMainForm::edFilterOwnerChange);
  on(dtpDateBegin, &QDateEdit::dateChanged, &TMainForm::dtpDateBeginChange);
  on(dtpDateEnd, &QDateEdit::dateChanged, &TMainForm::dtpDateEndChange);
  on(btnSortFilterOwner, &QPushButton::clicked, &TMainForm::btnSortFilterOwnerClick);
  on(mnExit, &QAction::triggered, &TMainForm::mnExitClick);
  on(mnAbout, &QAction::triggered, &TMainForm::mnAboutClick);
  on(mnSetupBDE, &QAction::triggered, &TMainForm::mnSetupBDEClick);
  on(mnDBReOpen, &QAction::triggered, &TMainForm::mnDBReOpenClick);
  on(mnShowMonthSummary, &QAction::triggered, &TMainForm::mnShowMonthSummaryClick);
  on(mnAddDetalization, &QAction::triggered, &TMainForm::mnAddDetalizationClick);
  on(mnUndo, &QAction::triggered, &TMainForm::mnUndoClick);
  on(mnFile, &QMenu::aboutToShow, &TMainForm::UpdateUndoEnabled);
  on(btnCheckedDataFilter, &QPushButton::clicked, &TMainForm::btnCheckedDataFilterClick);
  on(mnCountFilterStatistic, &QAction::triggered, &TMainForm::mnCountFilterStatisticClick);
  on(mnToCountAndFindMaxActivity, &QAction::triggered, &TMainForm::mnToCountAndFindMaxActivityClick);
  on(mnToCountAndFindMaxActivityFilter, &QAction::triggered, &TMainForm::mnToCountAndFindMaxActivityFilterClick);
  on(mnDBIndexReCreate, &QAction::triggered, &TMainForm::mnDBIndexReCreateClick);
  on(mnCodesTypes, &QAction::triggered, &TMainForm::mnCodesTypesClick);
  on(mnFillCodesTypes, &QAction::triggered, &TMainForm::mnFillCodesTypesClick);
  on(mnReturnCodesTypes, &QAction::triggered, &TMainForm::mnReturnCodesTypesClick);
  on(mnChangeCodesTypes, &QAction::triggered, &TMainForm::mnChangeCodesTypesClick);
  on(mnAbonentsBook, &QAction::triggered, &TMainForm::mnAbonentsBookClick);
  on(mnAddNoNameNumbersToAbonBook, &QAction::triggered, &TMainForm::mnAddNoNameNumbersToAbonBookClick);
  on(mnAddNoNameNumbersToAbonBookFromFilter, &QAction::triggered,
     &TMainForm::mnAddNoNameNumbersToAbonBookFromFilterClick);
  on(mnFillNumberAbonents, &QAction::triggered, &TMainForm::mnFillNumberAbonentsClick);
  on(mnFillNumberAbonentsFilter, &QAction::triggered, &TMainForm::mnFillNumberAbonentsFilterClick);
  on(mnSettings, &QAction::triggered, &TMainForm::mnSettingsClick);
  on(mnServicesID, &QAction::triggered, &TMainForm::mnServicesIDClick);
  on(mnRegisterFields, &QAction::triggered, &TMainForm::mnRegisterFieldsClick);
  on(mnDBFields, &QAction::triggered, &TMainForm::mnDBFieldsClick);
  on(mnPrintFilter, &QAction::triggered, &TMainForm::mnPrintFilterClick);
  on(mnPrintFilterStat, &QAction::triggered, &TMainForm::mnPrintFilterStatClick);
  // DB Re-Create is kept in the menu (hidden) and does nothing.
}

void TMainForm::chkbFilterOwnerClick() {
  edFilterOwner->setEnabled(chkbFilterOwner->isChecked());
  ApplyIndexRule();
}

void TMainForm::chkbFilterDateClick() {
  const bool on = chkbFilterDate->isChecked();
  for (QWidget* w : {static_cast<QWidget*>(lDateBegin), static_cast<QWidget*>(lDateEnd),
                     static_cast<QWidget*>(dtpDateBegin), static_cast<QWidget*>(dtpDateEnd)})
    w->setEnabled(on);
  ApplyIndexRule();
}

void TMainForm::chkbFilterNumberClick() { cbFilterNumber->setEnabled(chkbFilterNumber->isChecked()); }

void TMainForm::chkbFilterCodeClick() {
  lFilterCode->setEnabled(chkbFilterCode->isChecked());
  cbFilterCode->setEnabled(chkbFilterCode->isChecked());
}

void TMainForm::chkbFilterTypeClick() {
  lFilterType->setEnabled(chkbFilterType->isChecked());
  cbFilterType->setEnabled(chkbFilterType->isChecked());
}

void TMainForm::chkbFilterOperCodeClick() { cbFilterOperCode->setEnabled(chkbFilterOperCode->isChecked()); }

void TMainForm::chkbFilterExcludeClick() {
  const QColor colour = chkbFilterExclude->isChecked() ? QColor(0x00, 0xFF, 0x00)
                                                        : QApplication::palette().color(QPalette::Button);
  for (QCheckBox* box : {chkbFilterNumber, chkbFilterOperCode, chkbFilterCalls, chkbFilterSMS, chkbFilterMMS,
                         chkbFilterCode, chkbFilterType, chkbFilterExclude}) {
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::Button, colour);
    box->setPalette(pal);
    box->setAutoFillBackground(true);
  }
}

void TMainForm::edFilterOwnerChange() { ApplyIndexRule(); }

void TMainForm::dtpDateBeginChange() {
  const QDate begin = dtpDateBegin->date();
  const CalendarDate end = MonthEnd({begin.year(), begin.month(), begin.day()});
  dtpDateEnd->setDate(QDate(end.year, end.month, end.day));
  ApplyIndexRule();
}

void TMainForm::dtpDateEndChange() { ApplyIndexRule(); }

void TMainForm::btnSortFilterOwnerClick() {
  QStringList items;
  for (int i = 0; i < edFilterOwner->count(); ++i) items << edFilterOwner->itemText(i);
  items.sort(Qt::CaseInsensitive);
  SetComboItemsKeepText(edFilterOwner, items);
}

void TMainForm::mnExitClick() { close(); }

void TMainForm::mnAboutClick() { ShowAbout(this); }

void TMainForm::mnSetupBDEClick() {
  // The table engine is part of the program: there is nothing to set up.
  prompts_->ShowInfo(AddedTextOf(AddedText::TableEngineBuiltIn));
}
