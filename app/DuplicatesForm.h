// The Find Duplicates dialog: the groups of equal records among those the
// filter finds, one row per record with its group and record number, and a
// button to delete all but the first record of each group. The dialog only
// shows and asks; the main window deletes.
#pragma once

#include <QDialog>
#include <functional>

#include "analysis/Duplicates.h"
#include "config/AddedTexts.h"

class QLabel;
class QPushButton;
class QTableView;

class TDuplicatesForm : public QDialog {
  Q_OBJECT

 public:
  // `fieldCaptions` name the twelve fields as the result list does; `text`
  // gives the added texts in the language in use.
  TDuplicatesForm(const zvonar::DuplicateGroups& groups, const QStringList& fieldCaptions,
                  const std::function<QString(zvonar::AddedText)>& text, QWidget* parent = nullptr);

  // True when the dialog was left by the delete button.
  bool DeleteChosen() const { return deleteChosen_; }

  QLabel* lDuplicatesSummary;
  QTableView* lvDuplicates;
  QPushButton* btnDeleteDuplicates;
  QPushButton* btnClose;

 private:
  bool deleteChosen_ = false;
};
