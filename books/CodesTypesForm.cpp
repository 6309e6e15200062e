// TCodesTypesForm: the list with the Add, Edit, Delete and Close buttons
// below it, and the framed one-line editor laid over a row while its
// indication is typed.
#include "books/CodesTypesForm.h"

#include <QAction>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>

#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

// The row height; the framed editor laid over a row is a little higher.
constexpr int kRowHeight = 19;
// The marker a row's code cell held before an edit in place.
constexpr int kStoredRole = Qt::UserRole;

}  // namespace

TCodesTypesForm::TCodesTypesForm(std::string programDir, const std::string& languageName, Prompts* prompts,
                                 const BookFieldWidths& widths, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      programDir_(std::move(programDir)),
      prompts_(prompts),
      widths_(widths) {
  setObjectName("CodesTypesForm");
  setWindowTitle("Codes / Types");

  StringListView = new QTableWidget(0, 2, this);
  StringListView->setObjectName("StringListView");
  StringListView->setHorizontalHeaderLabels({"Code", "Indication"});
  StringListView->verticalHeader()->hide();
  StringListView->verticalHeader()->setDefaultSectionSize(kRowHeight);
  StringListView->setShowGrid(true);
  StringListView->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringListView->setSelectionMode(QAbstractItemView::SingleSelection);
  StringListView->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
  StringListView->setColumnWidth(0, 120);
  StringListView->setColumnWidth(1, 90);
  StringListView->horizontalHeader()->setStretchLastSection(true);
  StringListView->installEventFilter(this);

  edString4ListView = new QLineEdit(this);
  edString4ListView->setObjectName("edString4ListView");
  edString4ListView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Framed and a little higher than a row, so a row being added shows as
  // a box to type into, not as a blank line of the list.
  edString4ListView->setFrame(true);
  edString4ListView->setFixedHeight(std::max(kRowHeight + 6, edString4ListView->sizeHint().height()));
  edString4ListView->installEventFilter(this);
  edString4ListView->hide();

  pmMenu = new QMenu(this);
  pmEdit = pmMenu->addAction("Edit", this, &TCodesTypesForm::pmEditClick);
  pmEdit->setShortcut(Qt::Key_F4);
  pmAddCopy = pmMenu->addAction("Add/Copy", this, &TCodesTypesForm::pmAddCopyClick);
  pmAddCopy->setShortcut(Qt::Key_F5);
  pmDelete = pmMenu->addAction("Delete", this, &TCodesTypesForm::pmDeleteClick);
  pmDelete->setShortcut(Qt::Key_F8);
  StringListView->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(StringListView, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { pmMenu->popup(StringListView->viewport()->mapToGlobal(at)); });

  const auto button = [this](const char* name, const char* caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  btnAdd = button("btnAdd", "Add");
  btnEdit = button("btnEdit", "Edit");
  btnDelete = button("btnDelete", "Delete");
  bbtnClose = button("bbtnClose", "Close");
  connect(btnAdd, &QPushButton::clicked, this, &TCodesTypesForm::pmAddCopyClick);
  connect(btnEdit, &QPushButton::clicked, this, &TCodesTypesForm::pmEditClick);
  connect(btnDelete, &QPushButton::clicked, this, &TCodesTypesForm::pmDeleteClick);
  connect(bbtnClose, &QPushButton::clicked, this, &TCodesTypesForm::bbtnCloseClick);
  // Insert adds wherever the focus is in the dialog, the editor aside.
  auto* insert = new QAction(this);
  insert->setShortcut(Qt::Key_Insert);
  insert->setShortcutContext(Qt::WindowShortcut);
  addAction(insert);
  connect(insert, &QAction::triggered, this, [this] {
    if (!edString4ListView->isVisible()) pmAddCopyClick();
  });

  LanguageFile& lang = lang_;
  if (!languageName.empty() && LanguageFile::Load(LanguageFilePath(programDir_, languageName), &lang).ok() &&
      lang.HasGroup(53)) {
    setWindowTitle(ToQt(PlainCaption(lang.Line(50))));
    StringListView->setHorizontalHeaderLabels({QtPlain(lang.Line(51)), QtPlain(lang.Line(52))});
    pmEdit->setText(QtCaption(lang.Line(48)));
    pmAddCopy->setText(QtCaption(lang.Line(47)));
    pmDelete->setText(QtCaption(lang.Line(49)));
    bbtnClose->setText(QtCaption(lang.Line(43)));
    btnAdd->setText(QtCaption(lang.Line(46)));
    btnEdit->setText(QtCaption(lang.Line(48)));
    btnDelete->setText(QtCaption(lang.Line(49)));
  }
  PlaceParts();

  fileStatus_ = LoadCodeTypes(CodeTypePath(programDir_), &loaded_);
  for (const CodeTypeRow& row : loaded_) AppendRow(row.marker, row.indication);
  connect(StringListView, &QTableWidget::itemChanged, this, &TCodesTypesForm::MarkerChanged);
  // The editor's designed place: over the indication of the first row.
  edString4ListView->setGeometry(
      StringListView->x() + StringListView->viewport()->x() + StringListView->columnViewportPosition(1),
      StringListView->y() + StringListView->viewport()->y(), StringListView->columnWidth(1),
      edString4ListView->height());
}

void TCodesTypesForm::PlaceParts() {
  // The designed 250 by 330 dialog, wider when the four buttons need it.
  constexpr int kMargin = 8, kGap = 6, kButtonHeight = 25;
  const QList<QPushButton*> buttons = {btnAdd, btnEdit, btnDelete, bbtnClose};
  int buttonsWidth = kGap * static_cast<int>(buttons.size() - 1);
  for (QPushButton* b : buttons) buttonsWidth += std::max(56, b->sizeHint().width());
  const int width = std::max(250, buttonsWidth + 2 * kMargin);
  setFixedSize(width, 330);
  StringListView->setGeometry(kMargin, kMargin, width - 2 * kMargin, 278);
  int x = width - kMargin - buttonsWidth;
  for (QPushButton* b : buttons) {
    const int w = std::max(56, b->sizeHint().width());
    b->setGeometry(x, 296, w, kButtonHeight);
    x += w + kGap;
  }
}

bool TCodesTypesForm::Changed() const {
  return Rows() != loaded_;
}

void TCodesTypesForm::AppendRow(const std::string& marker, const std::string& indication) {
  const QSignalBlocker quiet(StringListView);
  const int row = StringListView->rowCount();
  StringListView->insertRow(row);
  auto* code = new QTableWidgetItem(ToQt(marker));
  code->setData(kStoredRole, code->text());  // what an edit in place goes back to
  StringListView->setItem(row, 0, code);
  auto* text = new QTableWidgetItem(ToQt(indication));
  text->setFlags(text->flags() & ~Qt::ItemIsEditable);  // edited through edString4ListView
  StringListView->setItem(row, 1, text);
}

void TCodesTypesForm::MarkerChanged(QTableWidgetItem* item) {
  if (item == nullptr || item->column() != 0) return;
  const QSignalBlocker quiet(StringListView);
  std::string marker;
  QString error;
  if (!FromQt(item->text(), &marker, &error)) {
    prompts_->ShowError(error);
  } else if (marker.find('=') != std::string::npos) {
    prompts_->ShowError(ToQt(TextOf(lang_, AddedText::CodeHasEquals)));
  } else if (const StoredTextCheck check = CheckCodeTypeText(marker, widths_); !check.ok()) {
    prompts_->ShowError(ToQt(StoredTextMessage(check, lang_)));
  } else {
    item->setData(kStoredRole, item->text());
    return;
  }
  item->setText(item->data(kStoredRole).toString());
}

std::vector<CodeTypeRow> TCodesTypesForm::Rows() const {
  std::vector<CodeTypeRow> rows;
  for (int r = 0; r < StringListView->rowCount(); ++r)
    rows.push_back({FromQtLossy(StringListView->item(r, 0)->text()), FromQtLossy(StringListView->item(r, 1)->text())});
  return rows;
}

void TCodesTypesForm::ShowEditor(int top, const QString& text) {
  // Over the indication column as wide as it is now (it stretches with
  // the dialog).
  const int left = StringListView->x() + StringListView->viewport()->x() + StringListView->columnViewportPosition(1);
  edString4ListView->setGeometry(left, top, StringListView->columnWidth(1), edString4ListView->height());
  edString4ListView->setText(text);
  edString4ListView->show();
  edString4ListView->raise();
  edString4ListView->setFocus();
}

void TCodesTypesForm::pmEditClick() {
  const int row = StringListView->currentRow();
  if (row < 0 || StringListView->selectedItems().isEmpty()) return;
  pending_ = Pending::Edit;
  editedRow_ = row;
  const int top = StringListView->y() + StringListView->viewport()->y() + StringListView->rowViewportPosition(row);
  ShowEditor(top, StringListView->item(row, 1)->text());
}

void TCodesTypesForm::pmAddCopyClick() {
  pending_ = Pending::Add;
  const int rows = StringListView->rowCount();
  if (rows == 0) {
    ShowEditor(edString4ListView->y(), QString());
    return;
  }
  editedRow_ = rows - 1;
  const int lastTop =
      StringListView->y() + StringListView->viewport()->y() + StringListView->rowViewportPosition(editedRow_);
  const int lowest = StringListView->geometry().bottom() - edString4ListView->height();
  ShowEditor(std::min(lastTop + kRowHeight, lowest), StringListView->item(editedRow_, 1)->text());
}

void TCodesTypesForm::pmDeleteClick() {
  const int row = StringListView->currentRow();
  if (row < 0 || StringListView->selectedItems().isEmpty()) return;
  StringListView->removeRow(row);
}

void TCodesTypesForm::CommitEditor() {
  std::string text;
  QString error;
  if (!FromQt(edString4ListView->text(), &text, &error)) {
    KeepEditorAfter([&] { prompts_->ShowError(error); });
    return;
  }
  const StoredTextCheck check = CheckCodeTypeText(text, widths_);
  if (pending_ != Pending::None && !check.ok()) {
    KeepEditorAfter([&] { prompts_->ShowError(ToQt(StoredTextMessage(check, lang_))); });
    return;
  }
  if (pending_ == Pending::Add) {
    AppendRow(std::to_string(StringListView->rowCount() + 1), text);
  } else if (pending_ == Pending::Edit && editedRow_ >= 0 && editedRow_ < StringListView->rowCount()) {
    StringListView->item(editedRow_, 1)->setText(ToQt(text));
  }
  HideEditor();
}

void TCodesTypesForm::KeepEditorAfter(const std::function<void()>& tell) {
  const Pending pending = pending_;
  const int row = editedRow_;
  const int top = edString4ListView->y();
  const QString text = edString4ListView->text();
  tell();
  pending_ = pending;
  editedRow_ = row;
  ShowEditor(top, text);
}

void TCodesTypesForm::HideEditor() {
  pending_ = Pending::None;
  if (!edString4ListView->isVisible()) return;
  edString4ListView->hide();
  StringListView->setFocus();
}

bool TCodesTypesForm::eventFilter(QObject* watched, QEvent* event) {
  const auto key = [event] { return static_cast<QKeyEvent*>(event)->key(); };
  if (watched == StringListView && event->type() == QEvent::KeyRelease) {
    switch (key()) {
      case Qt::Key_F4:
        pmEditClick();
        return true;
      case Qt::Key_F5:
        pmAddCopyClick();
        return true;
      case Qt::Key_F8:
        pmDeleteClick();
        return true;
      default:
        break;
    }
  }
  if (watched == edString4ListView) {
    const bool own = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    const int k = own ? key() : 0;
    const bool commits = k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_F2;
    // The press is kept from the dialog (Enter would press Close, Escape
    // would close it); the release acts.
    if (own && (commits || k == Qt::Key_Escape)) {
      if (event->type() == QEvent::KeyRelease) {
        if (commits)
          CommitEditor();
        else
          HideEditor();
      }
      return true;
    }
    if (event->type() == QEvent::FocusOut) {
      pending_ = Pending::None;
      edString4ListView->hide();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TCodesTypesForm::bbtnCloseClick() {
  // An open edit ends without being committed.
  pending_ = Pending::None;
  edString4ListView->hide();
  // A file that could not be read is not replaced by what the list shows,
  // and a list left as it was read is not written at all.
  if (fileStatus_.ok() && Changed()) fileStatus_ = SaveCodeTypes(CodeTypePath(programDir_), Rows());
  QDialog::accept();
}

void TCodesTypesForm::reject() {
  bbtnCloseClick();
}

namespace zvonar {

Status ShowCodesTypes(QWidget* parent, const std::string& programDir, const std::string& languageName, Prompts* prompts,
                      const BookFieldWidths& widths) {
  TCodesTypesForm form(programDir, languageName, prompts, widths, parent);
  form.exec();
  return form.FileStatus();
}

}  // namespace zvonar
