// The Services ID dialog: the three service-kind lists of the filter (calls,
// SMS, MMS). Each list is typed freely or grown and shrunk one identifier at
// a time with the identifier chosen from the code/type texts.
#pragma once

#include <QStringList>
#include <string>

#include "config/ConfigDialog.h"
#include "config/MainSettings.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

class TServicesIDForm : public TConfigDialog {
  Q_OBJECT

 public:
  // `typeItems` are the items of the main window's type box.
  TServicesIDForm(zvonar::MainSettings* settings, const std::string& programDir, const QStringList& typeItems,
                  zvonar::Prompts* prompts, QWidget* parent = nullptr);

  QGroupBox* gbServicesID;
  QLabel* lCallsID;
  QLabel* lSMSID;
  QLabel* lMMSID;
  QLineEdit* edCallsID;
  QLineEdit* edSMSID;
  QLineEdit* edMMSID;
  QComboBox* cbTypeList;
  QToolButton* bbtnCallIDAdd;
  QToolButton* bbtnCallIDDel;
  QToolButton* bbtnSMSIDAdd;
  QToolButton* bbtnSMSIDDel;
  QToolButton* bbtnMMSIDAdd;
  QToolButton* bbtnMMSIDDel;

 protected:
  bool StoreControls() override;

 private:
  // The list in `edit` with the type box's identifier added or removed.
  void ChangeList(QLineEdit* edit, bool add);

  zvonar::MainSettings* settings_;
};
