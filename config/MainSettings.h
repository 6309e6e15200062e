// Every setting of the program, as settings.ini keeps it. The main window
// holds one MainSettings for the whole run: read at start, changed by the
// dialogs in memory, written back whole when the window closes. Values that
// come from controls (window size, column widths, check states, box texts)
// are copied into these fields by the window before writing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Status.h"
#include "config/IniFile.h"

namespace zvonar {

// Widths of the character fields of the table, in field order; index 1
// (DateTime) is the size passed for the date-time field and stays 0.
inline constexpr std::array<int32_t, 12> kDefaultFieldWidths = {12, 0, 12, 50, 15, 15, 7, 7, 7, 7, 7, 50};
inline constexpr std::array<const char*, 12> kFieldWidthKeys = {
    "Owner_Field", "DateTime_Field", "Number_Field", "Abonent_Field", "Code_Field", "Type_Field",
    "Sec_Field",   "Min_Field",      "Cost_Field",   "MTP_Field",     "All_Field",  "Roaming_Field"};
inline constexpr std::array<int32_t, 12> kDefaultListViewCols = {50, 112, 85, 100, 40, 50, 50, 50, 60, 35, 60, 90};
inline constexpr std::array<int32_t, 4> kDefaultListViewStatCols = {50, 42, 40, 44};

// The operator's postal-address line, "Адрес для писем:" in code page 1251:
// an HTML bill's records end where it appears.
inline constexpr char kDefaultHtmlStopText[] = "\xC0\xE4\xF0\xE5\xF1 \xE4\xEB\xFF \xEF\xE8\xF1\xE5\xEC:";

struct MainSettings {
  // [Window]
  std::string mainWindowState = "Normal";
  int32_t mainHeight = 510;
  int32_t mainWidth = 800;
  int32_t detalizHeight = 160;
  // Written only when they hold 12 and 4 widths (the lists' column counts).
  std::vector<int32_t> listViewCols{kDefaultListViewCols.begin(), kDefaultListViewCols.end()};
  std::vector<int32_t> listViewStatCols{kDefaultListViewStatCols.begin(), kDefaultListViewStatCols.end()};

  // [DB]
  std::string dbType = "dbf";
  // A DB_Type read from the file and refused (see DbTypeRefusal); dbType
  // then holds the default. Never written.
  std::string dbTypeRefused;
  std::array<int32_t, 12> fieldWidths = kDefaultFieldWidths;
  bool simpleDbf = false;

  // [Filter]
  bool filterOwner = false, filterDate = false, filterOperCode = false, filterNumber = false;
  bool filterCode = false, filterType = false, filterCalls = false, filterSms = false, filterMms = false;
  bool filterNull = true, filterExclude = false;
  std::string operCodeId;
  std::string callsId = "1#2#G#m#M";
  std::string smsId = "8#9";
  std::string mmsId = "51#52";
  std::string filterCodeText;
  std::string filterTypeText;

  // [Settings]
  std::string language;
  bool fillAbonNamesOnAddDetalization = false;
  bool fillCodesTypesOnAddDetalization = false;
  bool saveAbonentNameInDetalizationFile = true;
  bool confirmDelete = true;
  // The history keeps the before-images of at most this many of the newest
  // changes, and of no more than this many megabytes; 0 changes keeps none.
  int32_t historyChanges = 10;
  int32_t historyMegabytes = 500;
  bool showSplash = true;
  bool saveAddDetalizationDir = true;
  bool saveTypeCodeDecryption = true;
  bool countFilterStatistic = true;
  bool addFilterStatisticOnPrint = true;
  bool forceDateIndex = false;
  uint8_t defaultDetalExtId = 1;  // 1 = text bill, 2 = HTML bill
  std::string addDetalizationDir;
  bool usePrimaryServiceNumber = false;
  std::string primaryServiceNumber;
  uint8_t modePhoneCode = 0;  // 0 = as is, 1 = analyse prefix with the town code
  std::string phoneCodeTown;
  int32_t fontSize = 8;
  int32_t countsHeight = 36;
  bool setCountsHeight = false;
  // Read only: the program never writes it back.
  std::string htmlStopText = kDefaultHtmlStopText;

  // [Datas]: the legend texts of the last bill.
  std::string types;
  std::string codes;
};

// Why `dbType` cannot be the table's file type, or empty when it can. The
// table file is "Tellura." + dbType, so a type that names the index file or
// another file of the program (MDX, dat, lng, ini, sum, fil, in any letter
// case), an empty one and one with a path separator are refused.
std::string DbTypeRefusal(const std::string& dbType);

// Reads every key, taking its default when missing or not a number. A
// DB_Type that DbTypeRefusal refuses gives the default (dbTypeRefused keeps
// the refused text). A field
// width that reads 0, or that no character field can have (below 1 or above
// 254), takes its default; DateTime_Field is kept as read.
// AddFilterStatisticOnPrint is false whenever CountFilterStatistic is.
MainSettings ReadMainSettings(const IniFile& ini);

// Writes every key in the program's fixed order; keys the profile holds that
// are not settings stay untouched.
void WriteMainSettings(const MainSettings& settings, IniFile* ini);

// Reads settings.ini at `path`; a missing file gives the defaults.
Status LoadMainSettings(const std::string& path, MainSettings* settings);

// Writes settings into settings.ini at `path`, creating it with its stamp
// line when missing.
Status SaveMainSettings(const std::string& path, const MainSettings& settings);

}  // namespace zvonar
