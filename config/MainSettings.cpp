// settings.ini sections and keys:
//   [Window]   MainWindowState, MainHeight, MainWidth, DetalizHeight,
//              ListViewCol_00..11, ListViewStatCol_0..3
//   [DB]       DB_Type, Owner_Field..Roaming_Field, SimpleDBF
//   [Filter]   check states, box texts and the service-kind lists
//   [Settings] program options
//   [Datas]    Codes, Types (the last bill's legends)
// Booleans are "1"/"0"; the write order below is the order a new file gets.
#include "config/MainSettings.h"

#include <algorithm>

#include "base/TextFile.h"
#include "config/FileStamp.h"

namespace zvonar {
namespace {

constexpr const char* kWindow = "Window";
constexpr const char* kDb = "DB";
constexpr const char* kFilter = "Filter";
constexpr const char* kSettings = "Settings";
constexpr const char* kDatas = "Datas";

constexpr int32_t kMaxCharWidth = 254;

std::string ListViewColKey(std::size_t i) {
  return std::string("ListViewCol_") + (i < 10 ? "0" : "") + std::to_string(i);
}

std::string ListViewStatColKey(std::size_t i) { return "ListViewStatCol_" + std::to_string(i); }

// One boolean key bound to its field, so reading and writing share one list.
struct BoolKey {
  const char* section;
  const char* key;
  bool MainSettings::*field;
};

// The [Filter] check states in the order they are written.
constexpr BoolKey kFilterChecksHead[] = {
    {kFilter, "Owner", &MainSettings::filterOwner},   {kFilter, "Date", &MainSettings::filterDate},
    {kFilter, "OperCode", &MainSettings::filterOperCode}, {kFilter, "Number", &MainSettings::filterNumber},
    {kFilter, "Code", &MainSettings::filterCode},     {kFilter, "Type", &MainSettings::filterType},
};
constexpr BoolKey kFilterChecksTail[] = {
    {kFilter, "Calls", &MainSettings::filterCalls}, {kFilter, "SMS", &MainSettings::filterSms},
    {kFilter, "MMS", &MainSettings::filterMms},     {kFilter, "Null", &MainSettings::filterNull},
    {kFilter, "Exclude", &MainSettings::filterExclude},
};

uint8_t ReadByte(const IniFile& ini, const char* section, const char* key, uint8_t def) {
  // The value is held in one byte, as the program always has.
  return static_cast<uint8_t>(ini.ReadInteger(section, key, def) & 0xFF);
}

}  // namespace

std::string DbTypeRefusal(const std::string& dbType) {
  if (dbType.empty()) return "DB_Type is empty; \"dbf\" is used";
  if (dbType.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
    return "DB_Type \"" + dbType + "\" is not a file extension; \"dbf\" is used";
  std::string lower = dbType;
  for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  for (const char* ours : {"mdx", "dat", "lng", "ini", "sum", "fil"})
    if (lower == ours) return "DB_Type \"" + dbType + "\" would name another file of the program; \"dbf\" is used";
  return {};
}

MainSettings ReadMainSettings(const IniFile& ini) {
  MainSettings s;
  s.mainWindowState = ini.ReadString(kWindow, "MainWindowState", s.mainWindowState);
  s.mainHeight = ini.ReadInteger(kWindow, "MainHeight", s.mainHeight);
  s.mainWidth = ini.ReadInteger(kWindow, "MainWidth", s.mainWidth);
  s.detalizHeight = ini.ReadInteger(kWindow, "DetalizHeight", s.detalizHeight);

  const std::string dbType = ini.ReadString(kDb, "DB_Type", s.dbType);
  if (DbTypeRefusal(dbType).empty())
    s.dbType = dbType;
  else
    s.dbTypeRefused = dbType;
  for (std::size_t i = 0; i < s.fieldWidths.size(); ++i) {
    const int32_t width = ini.ReadInteger(kDb, kFieldWidthKeys[i], kDefaultFieldWidths[i]);
    const bool dateTime = i == 1;
    s.fieldWidths[i] = dateTime || (width >= 1 && width <= kMaxCharWidth) ? width : kDefaultFieldWidths[i];
  }
  s.simpleDbf = ini.ReadBool(kDb, "SimpleDBF", s.simpleDbf);
  for (std::size_t i = 0; i < s.listViewCols.size(); ++i)
    s.listViewCols[i] = ini.ReadInteger(kWindow, ListViewColKey(i), s.listViewCols[i]);
  for (std::size_t i = 0; i < s.listViewStatCols.size(); ++i)
    s.listViewStatCols[i] = ini.ReadInteger(kWindow, ListViewStatColKey(i), s.listViewStatCols[i]);

  for (const BoolKey& k : kFilterChecksHead) s.*k.field = ini.ReadBool(k.section, k.key, s.*k.field);
  for (const BoolKey& k : kFilterChecksTail) s.*k.field = ini.ReadBool(k.section, k.key, s.*k.field);
  s.operCodeId = ini.ReadString(kFilter, "OperCodeID", s.operCodeId);
  s.callsId = ini.ReadString(kFilter, "CallsID", s.callsId);
  s.smsId = ini.ReadString(kFilter, "SMSID", s.smsId);
  s.mmsId = ini.ReadString(kFilter, "MMSID", s.mmsId);
  s.filterCodeText = ini.ReadString(kFilter, "FilterCodeText", s.filterCodeText);
  s.filterTypeText = ini.ReadString(kFilter, "FilterTypeText", s.filterTypeText);

  s.language = ini.ReadString(kSettings, "Language", s.language);
  s.fillAbonNamesOnAddDetalization =
      ini.ReadBool(kSettings, "FillAbonNamesOnAddDetalization", s.fillAbonNamesOnAddDetalization);
  s.fillCodesTypesOnAddDetalization =
      ini.ReadBool(kSettings, "FillCodesTypesOnAddDetalization", s.fillCodesTypesOnAddDetalization);
  s.saveAbonentNameInDetalizationFile =
      ini.ReadBool(kSettings, "SaveAbonentNameInDetalizationFile", s.saveAbonentNameInDetalizationFile);
  s.confirmDelete = ini.ReadBool(kSettings, "ConfirmDelete", s.confirmDelete);
  s.historyChanges = std::max(0, ini.ReadInteger(kSettings, "HistoryChanges", s.historyChanges));
  s.historyMegabytes = std::max(0, ini.ReadInteger(kSettings, "HistoryMegabytes", s.historyMegabytes));
  s.showSplash = ini.ReadBool(kSettings, "ShowSplash", s.showSplash);
  s.saveAddDetalizationDir = ini.ReadBool(kSettings, "SaveAddDetalizationDir", s.saveAddDetalizationDir);
  s.saveTypeCodeDecryption = ini.ReadBool(kSettings, "SaveTypeCodeDecryption", s.saveTypeCodeDecryption);
  s.countFilterStatistic = ini.ReadBool(kSettings, "CountFilterStatistic", s.countFilterStatistic);
  s.addFilterStatisticOnPrint =
      s.countFilterStatistic && ini.ReadBool(kSettings, "AddFilterStatisticOnPrint", s.addFilterStatisticOnPrint);
  s.forceDateIndex = ini.ReadBool(kSettings, "ForceDateIndex", s.forceDateIndex);
  s.defaultDetalExtId = ReadByte(ini, kSettings, "DefaultDetalExtID", s.defaultDetalExtId);
  s.addDetalizationDir = ini.ReadString(kSettings, "AddDetalizationDir", s.addDetalizationDir);
  s.usePrimaryServiceNumber = ini.ReadBool(kSettings, "UsePrimaryServiceNumber", s.usePrimaryServiceNumber);
  s.primaryServiceNumber = ini.ReadString(kSettings, "PrimaryServiceNumber", s.primaryServiceNumber);
  s.modePhoneCode = ReadByte(ini, kSettings, "modePhoneCode", s.modePhoneCode);
  s.phoneCodeTown = ini.ReadString(kSettings, "PhoneCodeTown", s.phoneCodeTown);
  s.fontSize = ini.ReadInteger(kSettings, "FontSize", s.fontSize);
  s.countsHeight = ini.ReadInteger(kSettings, "CountsHeight", s.countsHeight);
  s.setCountsHeight = ini.ReadBool(kSettings, "SetCountsHeight", s.setCountsHeight);
  s.htmlStopText = ini.ReadString(kSettings, "HtmlStopText", s.htmlStopText);

  if (s.saveTypeCodeDecryption) {
    s.types = ini.ReadString(kDatas, "Types", s.types);
    s.codes = ini.ReadString(kDatas, "Codes", s.codes);
  }
  return s;
}

void WriteMainSettings(const MainSettings& s, IniFile* ini) {
  ini->WriteString(kWindow, "MainWindowState", s.mainWindowState);
  ini->WriteInteger(kWindow, "MainHeight", s.mainHeight);
  ini->WriteInteger(kWindow, "MainWidth", s.mainWidth);
  ini->WriteInteger(kWindow, "DetalizHeight", s.detalizHeight);

  ini->WriteString(kDb, "DB_Type", s.dbType);
  for (std::size_t i = 0; i < s.fieldWidths.size(); ++i) ini->WriteInteger(kDb, kFieldWidthKeys[i], s.fieldWidths[i]);
  ini->WriteBool(kDb, "SimpleDBF", s.simpleDbf);

  if (s.listViewCols.size() == kDefaultListViewCols.size())
    for (std::size_t i = 0; i < s.listViewCols.size(); ++i)
      ini->WriteInteger(kWindow, ListViewColKey(i), s.listViewCols[i]);
  if (s.listViewStatCols.size() == kDefaultListViewStatCols.size())
    for (std::size_t i = 0; i < s.listViewStatCols.size(); ++i)
      ini->WriteInteger(kWindow, ListViewStatColKey(i), s.listViewStatCols[i]);

  for (const BoolKey& k : kFilterChecksHead) ini->WriteBool(k.section, k.key, s.*k.field);
  ini->WriteString(kFilter, "FilterCodeText", s.filterCodeText);
  ini->WriteString(kFilter, "FilterTypeText", s.filterTypeText);
  for (const BoolKey& k : kFilterChecksTail) ini->WriteBool(k.section, k.key, s.*k.field);
  ini->WriteString(kFilter, "OperCodeID", s.operCodeId);
  ini->WriteString(kFilter, "CallsID", s.callsId);
  ini->WriteString(kFilter, "SMSID", s.smsId);
  ini->WriteString(kFilter, "MMSID", s.mmsId);

  ini->WriteString(kSettings, "Language", s.language);
  ini->WriteBool(kSettings, "FillAbonNamesOnAddDetalization", s.fillAbonNamesOnAddDetalization);
  ini->WriteBool(kSettings, "FillCodesTypesOnAddDetalization", s.fillCodesTypesOnAddDetalization);
  ini->WriteBool(kSettings, "SaveAbonentNameInDetalizationFile", s.saveAbonentNameInDetalizationFile);
  ini->WriteBool(kSettings, "ConfirmDelete", s.confirmDelete);
  ini->WriteInteger(kSettings, "HistoryChanges", s.historyChanges);
  ini->WriteInteger(kSettings, "HistoryMegabytes", s.historyMegabytes);
  ini->WriteBool(kSettings, "ShowSplash", s.showSplash);
  ini->WriteBool(kSettings, "SaveAddDetalizationDir", s.saveAddDetalizationDir);
  ini->WriteBool(kSettings, "SaveTypeCodeDecryption", s.saveTypeCodeDecryption);
  ini->WriteBool(kSettings, "CountFilterStatistic", s.countFilterStatistic);
  ini->WriteBool(kSettings, "AddFilterStatisticOnPrint", s.addFilterStatisticOnPrint);
  ini->WriteBool(kSettings, "ForceDateIndex", s.forceDateIndex);
  ini->WriteInteger(kSettings, "DefaultDetalExtID", s.defaultDetalExtId);
  ini->WriteString(kSettings, "AddDetalizationDir", s.addDetalizationDir);
  ini->WriteBool(kSettings, "UsePrimaryServiceNumber", s.usePrimaryServiceNumber);
  ini->WriteString(kSettings, "PrimaryServiceNumber", s.primaryServiceNumber);
  ini->WriteInteger(kSettings, "modePhoneCode", s.modePhoneCode);
  ini->WriteString(kSettings, "PhoneCodeTown", s.phoneCodeTown);
  ini->WriteInteger(kSettings, "FontSize", s.fontSize);
  ini->WriteInteger(kSettings, "CountsHeight", s.countsHeight);
  ini->WriteBool(kSettings, "SetCountsHeight", s.setCountsHeight);

  if (s.saveTypeCodeDecryption) {
    if (!s.codes.empty()) ini->WriteString(kDatas, "Codes", s.codes);
    if (!s.types.empty()) ini->WriteString(kDatas, "Types", s.types);
  }
}

Status LoadMainSettings(const std::string& path, MainSettings* settings) {
  IniFile ini;
  Status s = IniFile::Load(path, &ini, kSettingsFileLimit);
  if (!s.ok()) return s;
  *settings = ReadMainSettings(ini);
  return Status::Ok();
}

Status SaveMainSettings(const std::string& path, const MainSettings& settings) {
  IniFile ini;
  if (FileExists(path)) {
    Status s = IniFile::Load(path, &ini, kSettingsFileLimit);
    if (!s.ok()) return s;
  } else {
    ini = IniFile({FileStampLine(kStampTitle, "", DayCountNow())});
  }
  WriteMainSettings(settings, &ini);
  return ini.Save(path);
}

}  // namespace zvonar
