// The abonents book dialog: the list of numbers and names from
// abonents.dat, with Add (Insert), Edit (F4) and Delete (Delete) in its
// pop-up menu and as buttons beside Close; the keys work wherever the
// focus is in the dialog. Every change goes to the file at once; the list shows what
// was written, a number written twice in the file as often as it stands.
// A click on a column header sorts the list by that column.
#pragma once

#include <QDialog>
#include <string>

#include "books/AbonentsBook.h"

class QAction;
class QPushButton;
class QTreeView;
class TAbonentForm;

namespace zvonar {
class AbonentsBookModel;
class Prompts;
struct MainSettings;
}  // namespace zvonar

class TAbonentsBookForm : public QDialog {
  Q_OBJECT

 public:
  // Loads the list from the book of `programDir` and the dialog's texts from
  // the language file `settings` names; `prompts` answers every message
  // (the dialog does not own it).
  TAbonentsBookForm(const std::string& programDir, const zvonar::MainSettings& settings, zvonar::Prompts* prompts,
                    QWidget* parent = nullptr);

  QTreeView* lvAbonentsBook;
  QAction* pmAdd;
  QAction* pmEdit;
  QAction* pmDelete;
  QPushButton* btnAdd;
  QPushButton* btnEdit;
  QPushButton* btnDelete;
  QPushButton* btnClose;
  // The entry dialog, alive as long as this one.
  TAbonentForm* AbonentForm;

  QString DeleteFailedText = "Can't delete old Record in Abonents Book!";
  QString ConfirmDeleteText = "Do You really want to delete Abonent";
  int SortColumn = 0;

  void pmAddClick();
  void pmEditClick();
  void pmDeleteClick();
  void lvAbonentsBookColumnClick(int column);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Writes the entry dialog's texts into the book, deleting `oldNumber`'s
  // entry when it is not empty, and shows the written entry in `row`
  // (appended when -1); another row of the same number leaves the list.
  void SaveAbonent(const std::string& oldNumber, int row);
  // The selected row, or -1.
  int SelectedRow() const;
  void SelectRow(int row);

  std::string bookPath_;
  zvonar::Prompts* prompts_;
  bool confirmDelete_;
  // "%1 is no longer in the book": a number another program removed.
  QString goneText_;
  zvonar::AbonentsBookModel* model_;
};

namespace zvonar {

// Shows the abonents book of `programDir` modally over `parent`.
void ShowAbonentsBook(const std::string& programDir, const MainSettings& settings, Prompts* prompts, QWidget* parent);

}  // namespace zvonar
