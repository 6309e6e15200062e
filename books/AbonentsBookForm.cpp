// TAbonentsBookForm: the list over the whole dialog, the Add, Edit, Delete
// and Close buttons below it. The
// list is a model over the loaded entries, so a book of many thousand
// numbers opens at once and the view draws only the rows it shows.
#include "books/AbonentsBookForm.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "books/AbonentForm.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "config/MainSettings.h"
#include "store/DetalTable.h"
#include "ui/Busy.h"
#include "ui/FontScale.h"
#include "ui/ListModels.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

namespace zvonar {

// The rows of lvAbonentsBook: the number as column 0, the name as column 1.
class AbonentsBookModel : public CellTableModel {
 public:
  explicit AbonentsBookModel(QObject* parent) : CellTableModel({"Number", "Abonent"}, parent) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
  }

  void SetEntries(std::vector<AbonentEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
  }
  const AbonentEntry& Entry(int row) const { return entries_.at(static_cast<std::size_t>(row)); }

  int Append(AbonentEntry entry) {
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    entries_.push_back(std::move(entry));
    endInsertRows();
    return row;
  }
  void SetEntry(int row, AbonentEntry entry) {
    entries_.at(static_cast<std::size_t>(row)) = std::move(entry);
    emit dataChanged(index(row, 0), index(row, 1));
  }
  void Remove(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    entries_.erase(entries_.begin() + row);
    endRemoveRows();
  }
  // The row showing `number`, other than `except`; -1 when none.
  int FindNumber(std::string_view number, int except) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (static_cast<int>(i) != except && SameAbonentNumber(entries_[i].number, number)) return static_cast<int>(i);
    return -1;
  }
  // Rows of `number` take the name `book` gives it; they leave the list
  // when the book no longer holds it.
  void RenameNumber(std::string_view number, const std::vector<AbonentEntry>& book) {
    const auto inBook = std::find_if(book.begin(), book.end(),
                                     [&](const AbonentEntry& e) { return SameAbonentNumber(e.number, number); });
    for (int row = rowCount() - 1; row >= 0; --row) {
      if (!SameAbonentNumber(entries_[static_cast<std::size_t>(row)].number, number)) continue;
      if (inBook == book.end())
        Remove(row);
      else
        SetEntry(row, {entries_[static_cast<std::size_t>(row)].number, inBook->name});
    }
  }
  void Sort(int column) {
    beginResetModel();
    SortAbonents(&entries_, column);
    endResetModel();
  }

 protected:
  std::string_view CellText(int row, int column) const override {
    const AbonentEntry& e = entries_[static_cast<std::size_t>(row)];
    return column == 0 ? e.number : e.name;
  }

 private:
  std::vector<AbonentEntry> entries_;
};

}  // namespace zvonar

using namespace zvonar;

TAbonentsBookForm::TAbonentsBookForm(const std::string& programDir, const MainSettings& settings, Prompts* prompts,
                                     QWidget* parent)
    : QDialog(parent),
      bookPath_(AbonentsBookPath(programDir)),
      prompts_(prompts),
      confirmDelete_(settings.confirmDelete),
      model_(new AbonentsBookModel(this)) {
  setObjectName("AbonentsBookForm");
  setWindowTitle("Abonents Book");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  lvAbonentsBook = new QTreeView(this);
  lvAbonentsBook->setObjectName("lvAbonentsBook");
  lvAbonentsBook->setModel(model_);
  lvAbonentsBook->setRootIsDecorated(false);
  lvAbonentsBook->setUniformRowHeights(true);
  lvAbonentsBook->setItemsExpandable(false);
  lvAbonentsBook->setAllColumnsShowFocus(true);
  lvAbonentsBook->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvAbonentsBook->setSelectionMode(QAbstractItemView::SingleSelection);
  lvAbonentsBook->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvAbonentsBook->setStyleSheet(
      "QTreeView::item { border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0; }"
      "QTreeView::item:selected { background: palette(highlight); color: palette(highlighted-text); }");
  lvAbonentsBook->header()->setStretchLastSection(false);
  lvAbonentsBook->header()->setSectionsClickable(true);
  lvAbonentsBook->header()->setSectionsMovable(false);
  lvAbonentsBook->viewport()->installEventFilter(this);

  const auto action = [this](const char* name, const QString& caption, const QKeySequence& key) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    lvAbonentsBook->addAction(a);
    return a;
  };
  pmAdd = action("pmAdd", "Add...", Qt::Key_Insert);
  pmEdit = action("pmEdit", "Edit...", Qt::Key_F4);
  pmDelete = action("pmDelete", "Delete", Qt::Key_Delete);
  lvAbonentsBook->setContextMenuPolicy(Qt::ActionsContextMenu);

  const auto button = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  btnAdd = button("btnAdd", pmAdd->text());
  btnEdit = button("btnEdit", pmEdit->text());
  btnDelete = button("btnDelete", pmDelete->text());
  btnClose = button("btnClose", "Close");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnAdd);
  buttons->addWidget(btnEdit);
  buttons->addWidget(btnDelete);
  buttons->addStretch(1);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lvAbonentsBook);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  AbonentForm = new TAbonentForm(bookPath_, prompts_, this);

  LanguageFile lang;
  if (!settings.language.empty()) (void)LanguageFile::Load(LanguageFilePath(programDir, settings.language), &lang);
  if (lang.HasGroup(55)) {
    setWindowTitle(ToQt(PlainCaption(lang.Line(33))));
    model_->SetCaption(0, ToQt(PlainCaption(lang.Line(6))));
    model_->SetCaption(1, ToQt(PlainCaption(lang.Line(45))));
    pmAdd->setText(QtCaption(lang.WithDots(46)));
    pmEdit->setText(QtCaption(lang.WithDots(48)));
    pmDelete->setText(QtCaption(lang.Line(49)));
    btnClose->setText(QtCaption(lang.Line(43)));
    btnAdd->setText(pmAdd->text());
    btnEdit->setText(pmEdit->text());
    btnDelete->setText(pmDelete->text());
    DeleteFailedText = ToQt(PlainCaption(lang.Line(53)));
    ConfirmDeleteText = ToQt(PlainCaption(lang.Line(54)));
  }
  AbonentForm->ApplyLanguage(lang);
  goneText_ = ToQt(TextOf(lang, AddedText::AbonentAlreadyGone));

  // Names go into the Abonent field of the records: of the table as it is,
  // or as the DB Fields settings would create it.
  const BookFieldWidths widths =
      ReadBookFieldWidths(DetalTablePath(programDir, settings.dbType), BookFieldWidthsOf(settings.fieldWidths));
  AbonentForm->SetNameWidth(widths.abonent);

  // Reading errors end the loading; the dialog opens with what was read.
  std::vector<AbonentEntry> entries;
  const Status s = LoadAbonentsBookRows(bookPath_, &entries);
  if (!s.ok()) prompts_->ShowError(QString::fromStdString(s.message()));
  model_->SetEntries(std::move(entries));

  QFont font = lvAbonentsBook->font();
  font.setPointSize(std::max(1, settings.fontSize));
  lvAbonentsBook->setFont(font);
  AbonentForm->SetFontSize(settings.fontSize);
  const int numberWidth = ScaleWidth(140, font);
  const int nameWidth = ScaleWidth(220, font);
  lvAbonentsBook->setColumnWidth(0, numberWidth);
  lvAbonentsBook->setColumnWidth(1, nameWidth);
  lvAbonentsBook->setFixedSize(numberWidth + nameWidth + ScaleWidth(24, font), ScaleHeight(380, font));

  connect(pmAdd, &QAction::triggered, this, Guarded(this, &TAbonentsBookForm::pmAddClick, prompts_));
  connect(pmEdit, &QAction::triggered, this, Guarded(this, &TAbonentsBookForm::pmEditClick, prompts_));
  connect(pmDelete, &QAction::triggered, this, Guarded(this, &TAbonentsBookForm::pmDeleteClick, prompts_));
  connect(lvAbonentsBook->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { lvAbonentsBookColumnClick(column); });
  connect(btnAdd, &QPushButton::clicked, pmAdd, &QAction::trigger);
  connect(btnEdit, &QPushButton::clicked, pmEdit, &QAction::trigger);
  connect(btnDelete, &QPushButton::clicked, pmDelete, &QAction::trigger);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

int TAbonentsBookForm::SelectedRow() const {
  const QModelIndexList rows = lvAbonentsBook->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void TAbonentsBookForm::SelectRow(int row) {
  const QModelIndex index = model_->index(row, 0);
  lvAbonentsBook->setCurrentIndex(index);
  lvAbonentsBook->scrollTo(index);
}

void TAbonentsBookForm::pmAddClick() {
  AbonentForm->SetEntry("79", "", "");
  if (AbonentForm->exec() == QDialog::Accepted) SaveAbonent("", -1);
}

void TAbonentsBookForm::pmEditClick() {
  const int row = SelectedRow();
  if (row < 0) return;
  const AbonentEntry shown = model_->Entry(row);
  AbonentForm->SetEntry(ToQt(shown.number), ToQt(shown.name), ToQt(shown.number));
  if (AbonentForm->exec() == QDialog::Accepted)
    SaveAbonent(OldNumberAfterEdit(shown.number, AbonentForm->Number()), row);
}

void TAbonentsBookForm::SaveAbonent(const std::string& oldNumber, int row) {
  SaveAbonentOutcome outcome;
  const Status s = zvonar::SaveAbonent(bookPath_, oldNumber, AbonentForm->Number(), AbonentForm->Name(), &outcome);
  if (!s.ok()) {
    prompts_->ShowError(QString::fromStdString(s.message()));
    return;
  }
  if (outcome.oldMissing) prompts_->ShowInfo(goneText_.arg(ToQt(oldNumber)));
  // One row for each number: the entry whose name was replaced is the
  // added one, or leaves the list when an edit took its number.
  const int other = model_->FindNumber(outcome.stored.number, row);
  if (row < 0 && other >= 0) {
    row = other;
  } else if (other >= 0) {
    model_->Remove(other);
    if (other < row) --row;
  }
  if (row < 0)
    row = model_->Append(std::move(outcome.stored));
  else
    model_->SetEntry(row, std::move(outcome.stored));
  SelectRow(row);
}

void TAbonentsBookForm::pmDeleteClick() {
  const int row = SelectedRow();
  if (row < 0) return;
  const std::string number = model_->Entry(row).number;
  if (confirmDelete_ && !prompts_->AskYesNo(ConfirmDeleteText + " \"" + ToQt(number) + "\" ?")) return;
  bool found = false;
  const Status s = DeleteAbonent(bookPath_, number, &found);
  // An entry already gone from the file leaves the list all the same, with
  // a word that another program removed it; one that could not be deleted
  // stays in both.
  if (!s.ok()) {
    prompts_->ShowError(DeleteFailedText + "\n" + QString::fromStdString(s.message()));
    return;
  }
  if (!found) prompts_->ShowInfo(goneText_.arg(ToQt(number)));
  model_->Remove(row);
  // Other rows of a number written twice show what the book now gives it.
  if (found && model_->FindNumber(number, -1) >= 0) {
    std::vector<AbonentEntry> book;
    if (LoadAbonentsBook(bookPath_, &book).ok()) model_->RenameNumber(number, book);
  }
  if (model_->rowCount() > 0) SelectRow(std::min(row, model_->rowCount() - 1));
}

void TAbonentsBookForm::lvAbonentsBookColumnClick(int column) {
  SortColumn = column;
  model_->Sort(SortColumn);
}

bool TAbonentsBookForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvAbonentsBook->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    // On a row: edit it; on the empty part of the list: add.
    const QModelIndex index = lvAbonentsBook->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    if (index.isValid()) {
      SelectRow(index.row());
      Guarded(this, &TAbonentsBookForm::pmEditClick, prompts_)();
    } else {
      lvAbonentsBook->clearSelection();
      Guarded(this, &TAbonentsBookForm::pmAddClick, prompts_)();
    }
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

namespace zvonar {

void ShowAbonentsBook(const std::string& programDir, const MainSettings& settings, Prompts* prompts, QWidget* parent) {
  TAbonentsBookForm form(programDir, settings, prompts, parent);
  form.exec();
}

}  // namespace zvonar
