// The dialog of Change Codes / Types: which field (Code or Type), the text
// to find and the text to put in its place. Both boxes offer the code
// filter's items.
#pragma once

#include <QDialog>
#include <QStringList>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TChangeCodeTypeForm : public QDialog {
  Q_OBJECT

 public:
  // `programDir` ends with "/"; `languageName` is the Language setting;
  // `items` fill the drop-down lists of both boxes.
  TChangeCodeTypeForm(const std::string& programDir, const std::string& languageName, const QStringList& items,
                      QWidget* parent = nullptr);

  // 0 for Code, 1 for Type.
  int Mode() const;

  QGroupBox* rgMode;
  QRadioButton* rbCode;
  QRadioButton* rbType;
  QGroupBox* gbChange;
  QLabel* lFilter1;
  QComboBox* cbFilter1;
  QLabel* lFilter2;
  QComboBox* cbFilter2;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};

namespace zvonar {

// Shows the dialog modally; true, with the mode and the two texts (as
// typed), when it was closed with OK.
bool AskChangeCodeType(QWidget* parent, const std::string& programDir, const std::string& languageName,
                       const QStringList& items, int* mode, QString* find, QString* replace);

}  // namespace zvonar
