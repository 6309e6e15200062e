// The DB Fields dialog: the file type of the table and the widths of its
// fields. The widths are used when the table is next created; the type when
// the table's file name is next built, at the next start.
#pragma once

#include <array>
#include <string>

#include "config/ConfigDialog.h"
#include "config/MainSettings.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QSpinBox;

class TDBFieldsForm : public TConfigDialog {
  Q_OBJECT

 public:
  TDBFieldsForm(zvonar::MainSettings* settings, const std::string& programDir, zvonar::Prompts* prompts,
                QWidget* parent = nullptr);

  QGroupBox* gbDBType;
  QLabel* lDBType;
  QComboBox* cbDBType;
  QGroupBox* gbFieldsLength;
  // In field order: seOwner_Field .. seRoaming_Field, and their labels.
  std::array<QSpinBox*, 12> spins;
  std::array<QLabel*, 12> labels;

 protected:
  bool StoreControls() override;

 private:
  zvonar::MainSettings* settings_;
};
