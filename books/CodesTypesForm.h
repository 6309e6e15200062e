// The codes/types dialog: the rows of codetype.dat, marker and indication,
// edited in place. F4 edits the selected row's indication, F5 adds a row
// (numbered by the row count) starting from the last row's indication, F8
// deletes the selected row at once; the Add, Edit and Delete buttons do
// the same, and Insert adds wherever the focus is. In the small editor Enter or F2 commits
// and Escape drops the text, as does leaving it. A text the records' Code
// or Type field cannot take whole, or one holding "#", a TAB or a line
// break, is refused with the reason and stays in the editor; so is such a
// marker typed in place (which goes back to what it was). Close writes the
// whole list to codetype.dat when it differs from what was read; the
// dialog has no other way out.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "base/Status.h"
#include "books/CodesTypes.h"
#include "config/LanguageFile.h"

class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace zvonar {
class Prompts;
}  // namespace zvonar

class TCodesTypesForm : public QDialog {
  Q_OBJECT

 public:
  // `programDir` ends with "/"; `languageName` is the Language setting (the
  // language file's base name), empty for the designed texts. `widths` are
  // those of the fields the texts are filled into; `prompts` tells why a
  // text is refused (the dialog does not own it).
  TCodesTypesForm(std::string programDir, const std::string& languageName, zvonar::Prompts* prompts,
                  const zvonar::BookFieldWidths& widths, QWidget* parent = nullptr);

  // The rows as the list shows them.
  std::vector<zvonar::CodeTypeRow> Rows() const;
  // Why codetype.dat could not be read or written, if so; a file that
  // could not be read is left as it is on Close.
  const zvonar::Status& FileStatus() const { return fileStatus_; }
  // Whether the rows differ from those read from codetype.dat.
  bool Changed() const;

  QTableWidget* StringListView;
  QLineEdit* edString4ListView;
  QMenu* pmMenu;
  QAction* pmEdit;
  QAction* pmAddCopy;
  QAction* pmDelete;
  QPushButton* btnAdd;
  QPushButton* btnEdit;
  QPushButton* btnDelete;
  QPushButton* bbtnClose;

  void pmEditClick();
  void pmAddCopyClick();
  void pmDeleteClick();
  void bbtnCloseClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Escape and the window manager close through Close as well.
  void reject() override;

 private:
  enum class Pending { None, Add, Edit };
  // Sizes the dialog to its buttons and lays out the list and the buttons.
  void PlaceParts();
  void AppendRow(const std::string& marker, const std::string& indication);
  void ShowEditor(int top, const QString& text);
  void CommitEditor();
  void HideEditor();
  // Runs `tell` (a message box takes the focus, which hides the editor) and
  // shows the editor again with its text and pending action.
  void KeepEditorAfter(const std::function<void()>& tell);
  // A marker typed in place: kept when it can be stored, else put back.
  void MarkerChanged(QTableWidgetItem* item);

  Pending pending_ = Pending::None;
  int editedRow_ = -1;
  std::string programDir_;
  zvonar::Status fileStatus_;
  std::vector<zvonar::CodeTypeRow> loaded_;
  zvonar::Prompts* prompts_;
  zvonar::BookFieldWidths widths_;
  zvonar::LanguageFile lang_;
};

namespace zvonar {

// Shows the dialog modally over `parent`; returns the failure to read or
// write codetype.dat, if any (the dialog closes all the same).
Status ShowCodesTypes(QWidget* parent, const std::string& programDir, const std::string& languageName, Prompts* prompts,
                      const BookFieldWidths& widths);

}  // namespace zvonar
