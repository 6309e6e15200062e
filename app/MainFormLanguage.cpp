// The main window's lines of a language file, applied in groups: a group is
// applied only when the file holds the lines it needs, so a short file
// changes the early captions and leaves the rest as designed. The language
// also sets the month names of the date pickers and Qt's own texts.
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <filesystem>

#include "app/MainForm.h"
#include "config/LanguageFile.h"
#include "ui/ListModels.h"
#include "ui/QtLanguage.h"
#include "ui/QtText.h"

using namespace zvonar;

bool TMainForm::LoadLanguage(const std::string& path) {
  LanguageFile lang;
  if (!LanguageFile::Load(path, &lang).ok()) return false;
  UseLanguageTexts(lang);
  ApplyLanguageGroups(lang);
  mnCharts->setText(QtCaption(TextOf(lang, AddedText::ChartsMenu)));
  mnFindDuplicates->setText(QtCaption(TextOf(lang, AddedText::FindDuplicatesMenu)));
  ApplyWelcomeTexts(lang);
  UseLanguageLocale(std::filesystem::path(path).stem().string());
  return true;
}

void TMainForm::UseLanguageLocale(std::string_view languageBaseName) {
  const QLocale locale = LocaleOfLanguage(languageBaseName);
  (void)UseQtLanguage(locale);
  // Widgets made before the change keep their locale unless told.
  for (QDateEdit* picker : {dtpDateBegin, dtpDateEnd}) {
    picker->setLocale(locale);
    if (QCalendarWidget* calendar = picker->calendarWidget()) calendar->setLocale(locale);
  }
}

void TMainForm::ApplyLanguageGroups(const LanguageFile& lang) {
  mnUndo->setText(QtCaption(TextOf(lang, AddedText::UndoCaption)));
  // Menus, buttons, check boxes and group boxes read mnemonics; labels,
  // titles and column titles do not.
  const auto line = [&](std::size_t i) { return QtCaption(lang.Line(i)); };
  const auto plain = [&](std::size_t i) { return QtPlain(lang.Line(i)); };
  const auto colon = [&](std::size_t i) { return QtCaption(lang.WithColon(i)); };
  const auto plainColon = [&](std::size_t i) { return QtPlain(lang.WithColon(i)); };
  const auto dots = [&](std::size_t i) { return QtCaption(lang.WithDots(i)); };
  const auto framed = [&](std::size_t i) { return QtCaption(lang.Framed(i)); };

  if (lang.HasGroup(16)) {
    setWindowTitle(ProgramTitle());
    lvFilterModel->SetCaption(0, plain(3));
    for (std::size_t i = 5; i <= 15; ++i) lvFilterModel->SetCaption(static_cast<int>(i) - 4, plain(i));
    SetupGridColumns();
    for (int c = 0; c < 4; ++c) lvStatModel->SetCaption(c, lvFilterModel->Caption(c + 5));
  }
  if (lang.HasGroup(26)) {
    panelCaption_->setText(plain(16));
    gbControl->setTitle(framed(18));
    gbFilterOwner->setTitle(framed(19));
    gbFilterDate->setTitle(framed(20));
    gbFilterNumber->setTitle(framed(21));
    gbFilterCodeType->setTitle(framed(22));
    lDateBegin->setText(plain(23));
    lDateEnd->setText(plain(24));
    btnCheckedDataFilter->setText(line(25));
    lFilterCode->setText(plainColon(8));
    chkbFilterCode->setText(colon(8));
    lFilterType->setText(plainColon(9));
    chkbFilterType->setText(colon(9));
    chkbFilterOwner->setText(line(3));
    chkbFilterDate->setText(line(4));
    chkbFilterNumber->setText(line(6));
  }
  if (lang.HasGroup(42)) {
    mnFile->setTitle(line(27));
    mnAddDetalization->setText(dots(28));
    mnLoadFiltered->setText(dots(29));
    mnSaveFiltered->setText(dots(30));
    mnExit->setText(line(31));
    mnAbonents->setTitle(line(32));
    mnAbonentsBook->setText(dots(33));
    mnCodesTypes->setText(dots(34));
    mnFillNumberAbonents->setText(line(35));
    mnFillCodesTypes->setText(line(36));
    mnReturnCodesTypes->setText(line(37));
    mnToCountAndFindMaxActivity->setText(line(38));
    mnToCountAndFindMaxActivityFilter->setText(line(39));
    mnService->setTitle(line(40));
    mnSettings->setText(dots(41));
  }
  if (lang.HasGroup(64)) {
    mnChangeCodesTypes->setText(line(63) + " " + line(50) + "...");
    mnAbout->setText(dots(62));
  }
  if (lang.HasGroup(82)) {
    mnLoadOldDetalizationBase->setText(line(72));
    mnFillNumberAbonentsFilter->setText(line(73));
    mnAddNoNameNumbersToAbonBook->setText(line(74));
    mnAddNoNameNumbersToAbonBookFromFilter->setText(line(75));
    NoNameText = ToQt(lang.Line(76));  // a name written into the book, not a caption
    mnPrintFilter->setText(line(77));
    mnPrintFilterStat->setText(line(78));
    mnCountFilterStatistic->setText(line(79));
    mnAddPhoneNumberToFilterNumber->setText(line(81));
  }
  if (lang.HasGroup(85)) {
    mnRegisterFields->setText(dots(82));
    mnDBFields->setText(dots(83));
    mnSetupBDE->setText(line(84));
  }
  if (lang.HasGroup(87)) {
    BaseNotCreatedText = plain(85);
    AllText = plain(86);
  }
  if (lang.HasGroup(95)) {
    chkbFilterOperCode->setText(line(87));
    chkbFilterCalls->setText(line(88));
    chkbFilterNull->setText(line(89));
    chkbFilterExclude->setText(line(90));
    mnServicesID->setText(line(91));
    mnDBReCreate->setText(line(92));
    mnDBReOpen->setText(line(93));
    mnDBIndexReCreate->setText(line(94));
  }
  if (lang.HasGroup(113)) {
    mnPhoneNumberToClipboard->setText(line(109));
    mnShowMonthSummary->setText(dots(110));
    btnSortFilterOwner->setText(line(112));
  }
  ApplyListTexts(lang);
  ApplyFindTexts(lang);
}
