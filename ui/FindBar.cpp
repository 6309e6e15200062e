// The bar keeps the folded texts of its view's rows from the first search
// until the model's rows change; every keystroke then scans them once. The
// rows it marks are asked for by the view's model (RowMarks), so a list of a
// million rows needs no widget or item per row.
#include "ui/FindBar.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>

#include "ui/ListModels.h"
#include "ui/QtText.h"

namespace zvonar {
namespace {

QToolButton* ToolButton(const char* name, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);  // Enter and Escape stay with the box
  return button;
}

// Paints a marked row's background under the cell. A view whose items are
// styled by a style sheet paints no BackgroundRole of its own; the sheet's
// item then lies over this background, and a selected row keeps its colours.
class MarkedRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (index.data(kFoundRowRole).toBool()) {
      const QVariant background = index.data(Qt::BackgroundRole);
      if (background.canConvert<QBrush>()) painter->fillRect(option.rect, background.value<QBrush>());
    }
    QStyledItemDelegate::paint(painter, option, index);
  }
};

}  // namespace

FindBar::FindBar(QAbstractItemView* view, ReadRowsFn readRows, QWidget* parent)
    : QFrame(parent), view_(view), readRows_(std::move(readRows)) {
  setObjectName(view->objectName() + "Find");
  setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
  lFindCaption = new QLabel(this);
  lFindCaption->setObjectName("lFindCaption");
  edFind = new QLineEdit(this);
  edFind->setObjectName("edFind");
  edFind->setClearButtonEnabled(true);
  edFind->setMinimumWidth(edFind->fontMetrics().horizontalAdvance(QString(22, QChar('8'))));
  lFindCaption->setBuddy(edFind);
  btnFindPrevious = ToolButton("btnFindPrevious", this);
  btnFindPrevious->setArrowType(Qt::UpArrow);
  btnFindNext = ToolButton("btnFindNext", this);
  btnFindNext->setArrowType(Qt::DownArrow);
  lFindCount = new QLabel(this);
  lFindCount->setObjectName("lFindCount");
  lFindWrapped = new QLabel(this);
  lFindWrapped->setObjectName("lFindWrapped");
  lFindWrapped->setEnabled(false);  // a quieter grey than the count
  btnFindClose = ToolButton("btnFindClose", this);
  btnFindClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 2, 2, 2);
  row->setSpacing(4);
  row->addWidget(lFindCaption);
  row->addWidget(edFind);
  row->addWidget(btnFindPrevious);
  row->addWidget(btnFindNext);
  row->addSpacing(4);
  row->addWidget(lFindCount);
  row->addSpacing(8);
  row->addWidget(lFindWrapped);
  row->addStretch(1);
  row->addWidget(btnFindClose);
  SetTexts(FindBarTexts());
  hide();

  connect(edFind, &QLineEdit::textChanged, this, &FindBar::TextEdited);
  connect(btnFindNext, &QToolButton::clicked, this, [this] { Step(&FindRows::After); });
  connect(btnFindPrevious, &QToolButton::clicked, this, [this] { Step(&FindRows::Before); });
  connect(btnFindClose, &QToolButton::clicked, this, &FindBar::Close);
  edFind->installEventFilter(this);
  view_->setItemDelegate(new MarkedRowDelegate(view_));

  QAbstractItemModel* model = view_->model();
  connect(model, &QAbstractItemModel::modelReset, this, &FindBar::RowsChanged);
  connect(model, &QAbstractItemModel::rowsInserted, this, &FindBar::RowsChanged);
  connect(model, &QAbstractItemModel::rowsRemoved, this, &FindBar::RowsChanged);
  connect(model, &QAbstractItemModel::layoutChanged, this, &FindBar::RowsChanged);
  // A row the user picks is counted among the matches it is one of.
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
    if (!isHidden()) ShowCount();
  });
}

void FindBar::SetTexts(const FindBarTexts& texts) {
  texts_ = texts;
  lFindCaption->setText(texts_.caption);
  btnFindNext->setToolTip(texts_.next);
  btnFindPrevious->setToolTip(texts_.previous);
  btnFindClose->setToolTip(texts_.close);
  lFindWrapped->clear();
  ShowCount();
}

void FindBar::Open() {
  show();
  edFind->setFocus();
  edFind->selectAll();
  EnsureRows();
  SearchText();
  ShowCount();
  Repaint();
}

void FindBar::Close() {
  hide();
  lFindWrapped->clear();
  Repaint();
  view_->setFocus();
}

bool FindBar::Marks(int row) const {
  return !isHidden() && rows_ && row >= 0 && rows_->IsMatch(static_cast<std::size_t>(row));
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edFind && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (key->modifiers() & Qt::ShiftModifier)
        Step(&FindRows::Before);
      else
        Step(&FindRows::After);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      Close();
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

void FindBar::EnsureRows() {
  const auto viewRows = static_cast<std::size_t>(view_->model()->rowCount());
  if (rows_ && rows_->RowCount() == viewRows) return;
  FindRows read;
  const Status s = readRows_(&read);
  if (!s.ok()) {
    // Not read again at every keystroke: only after the rows change.
    read.Clear();
    emit ReadFailed(s);
  }
  rows_ = std::move(read);
}

bool FindBar::SearchText() {
  EnsureRows();
  std::string text;
  // A character no cell can hold matches nothing: a text no row holds.
  if (!FromQt(edFind->text(), &text)) text = std::string(1, '\0');
  rows_->Search(text);
  return !edFind->text().isEmpty();
}

void FindBar::RowsChanged() {
  rows_.reset();
  if (isHidden() || refreshQueued_) return;
  refreshQueued_ = true;
  // Once the change is done the matches are counted and marked again; the
  // current row stays where it is.
  QTimer::singleShot(0, this, [this] {
    refreshQueued_ = false;
    if (isHidden()) return;
    SearchText();
    ShowCount();
    Repaint();
  });
}

void FindBar::TextEdited() {
  lFindWrapped->clear();
  if (SearchText())
    ShowHit(rows_->AtOrAfter(CurrentRow()), false);
  else
    ShowCount();
  Repaint();
}

void FindBar::Step(std::optional<FindHit> (FindRows::*step)(std::size_t) const) {
  if (!rows_) SearchText();
  if (edFind->text().isEmpty()) return;
  ShowHit((*rows_.*step)(CurrentRow()), step == &FindRows::Before);
  Repaint();
}

void FindBar::ShowHit(const std::optional<FindHit>& hit, bool backward) {
  lFindWrapped->setText(hit && hit->wrapped ? (backward ? texts_.wrappedBottom : texts_.wrappedTop) : QString());
  if (hit) {
    const QModelIndex current = view_->currentIndex();
    const QModelIndex target = view_->model()->index(static_cast<int>(hit->row), std::max(0, current.column()));
    if (target.isValid()) {
      view_->setCurrentIndex(target);
      view_->scrollTo(target);
      emit Moved(target.row());
    }
  }
  ShowCount();
}

void FindBar::ShowCount() {
  const bool counted = !edFind->text().isEmpty() && rows_;
  const bool none = counted && rows_->Matches().empty();
  if (!counted)
    lFindCount->clear();
  else if (none)
    lFindCount->setText(texts_.none);
  else
    lFindCount->setText(texts_.count.arg(rows_->OrdinalOf(CurrentRow())).arg(rows_->Matches().size()));
  // A text found nowhere turns the box pink.
  if (none != edFind->property("notFound").toBool()) {
    edFind->setProperty("notFound", none);
    edFind->setStyleSheet(none ? "QLineEdit { background: #ffd8d8; }" : QString());
  }
}

std::size_t FindBar::CurrentRow() const {
  const QModelIndex current = view_->currentIndex();
  return current.isValid() ? static_cast<std::size_t>(current.row()) : 0;
}

void FindBar::Repaint() {
  view_->viewport()->update();
}

}  // namespace zvonar
