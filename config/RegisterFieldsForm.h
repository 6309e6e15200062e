// The Register Fields dialog: the marker texts by which the bill parser
// recognises the parts of a bill, and the length of a bill date. It edits
// the lines fields.dat will be written with at exit; the parser reads them
// at the next start.
#pragma once

#include <array>
#include <string>

#include "config/ConfigDialog.h"
#include "config/RegisterFields.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class TRegisterFieldsForm : public TConfigDialog {
  Q_OBJECT

 public:
  TRegisterFieldsForm(zvonar::RegisterFields* fields, const std::string& programDir, const std::string& language,
                      zvonar::Prompts* prompts, QWidget* parent = nullptr);

  QGroupBox* gbVedFields;
  QGroupBox* gbVedFields2;
  // In the order of the lines of fields.dat: edAbonPay .. edBalanceDate.
  std::array<QLineEdit*, zvonar::kRegisterTextCount> edits;
  // Labels of the edits; the last two edits have none.
  std::array<QLabel*, zvonar::kRegisterTextCount> labels;
  QLabel* lDateLength;
  QSpinBox* seDateLength;

 protected:
  bool StoreControls() override;

 private:
  void ApplyLanguage(const zvonar::LanguageFile& lang);

  zvonar::RegisterFields* fields_;
};
