// Find as you type in the main window: Ctrl+F (or Find... in the views'
// context menu) opens the find bar over the record grid when the grid has
// the focus, else over the result list. Each view has a bar of its own atop
// it; the bar reads the view's rows when it first searches them: the result
// list from its rows, the grid from the table in its active order.
#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include "analysis/FindRows.h"
#include "app/MainForm.h"
#include "config/LanguageFile.h"
#include "store/Table.h"
#include "ui/Busy.h"
#include "ui/FindBar.h"
#include "ui/ListModels.h"
#include "ui/QtText.h"
#include "ui/SplashForm.h"
#include "ui/TableGridModel.h"

using namespace zvonar;

namespace {

// Tables from this many records on show the splash while the grid's texts
// are read for a find.
constexpr std::uint32_t kSplashRecords = 200000;

// Puts `bar` atop `view` in the view's place in `splitter`.
void PutAbove(QSplitter* splitter, QAbstractItemView* view, FindBar* bar) {
  const int at = splitter->indexOf(view);
  auto* box = new QWidget;  // the splitter takes it in the view's place
  box->setObjectName(view->objectName() + "Box");
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  splitter->replaceWidget(at, box);
  bar->setParent(box);
  column->addWidget(bar);
  column->addWidget(view, 1);
  view->show();
}

}  // namespace

void TMainForm::CreateFindBars() {
  lvFilterFind = new FindBar(
      lvFilter,
      [this](FindRows* rows) {
        BusyCursorScope busy;
        *rows = FindRowsOfList(lvFilterModel->Rows());
        return Status::Ok();
      },
      this);
  dbgDetalizFind = new FindBar(
      dbgDetaliz, [this](FindRows* rows) { return ReadGridFindRows(rows); }, this);
  PutAbove(panSplitterMiddle, dbgDetaliz, dbgDetalizFind);
  PutAbove(panSplitterMiddle, lvFilter, lvFilterFind);
  // The grid keeps its height when the window is resized.
  panSplitterMiddle->setStretchFactor(0, 0);
  panSplitterMiddle->setStretchFactor(1, 1);

  lvFilterModel->SetRowMarks([bar = lvFilterFind](int row) { return bar->Marks(row); });
  gridModel_->SetRowMarks([bar = dbgDetalizFind](int row) { return bar->Marks(row); });
  // A match found in the grid is its current record, as after a click.
  connect(dbgDetalizFind, &FindBar::Moved, this, Guarded(this, &TMainForm::dbgDetalizCellClick, prompts_));
  for (FindBar* bar : {lvFilterFind, dbgDetalizFind})
    connect(bar, &FindBar::ReadFailed, this, [this](const Status& s) { ShowTableError(QString(), s); });

  mnFind = new QAction(this);
  mnFind->setObjectName("mnFind");
  mnFind->setShortcut(QKeySequence::Find);
  addAction(mnFind);
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  for (QWidget* view : {static_cast<QWidget*>(dbgDetaliz), static_cast<QWidget*>(lvFilter)}) {
    view->addAction(separator);
    view->addAction(mnFind);
  }
  connect(mnFind, &QAction::triggered, this, Guarded(this, &TMainForm::mnFindClick, prompts_));
  ApplyFindTexts(LanguageFile());  // English until a language file is applied
}

void TMainForm::ApplyFindTexts(const LanguageFile& lang) {
  const auto plain = [&](AddedText t) { return QtPlain(TextOf(lang, t)); };
  mnFind->setText(QtCaption(TextOf(lang, AddedText::FindMenu)));
  FindBarTexts texts;
  texts.caption = plain(AddedText::FindCaption);
  texts.count = plain(AddedText::FindCount);
  texts.none = plain(AddedText::FindNone);
  texts.wrappedTop = plain(AddedText::FindWrappedTop);
  texts.wrappedBottom = plain(AddedText::FindWrappedBottom);
  texts.next = plain(AddedText::FindNextTip);
  texts.previous = plain(AddedText::FindPreviousTip);
  texts.close = plain(AddedText::FindCloseTip);
  lvFilterFind->SetTexts(texts);
  dbgDetalizFind->SetTexts(texts);
}

void TMainForm::mnFindClick() {
  // The grid's bar when the grid or its bar has the focus, or when only the
  // grid has rows to find in.
  QWidget* focus = focusWidget();
  const bool grid = focus == dbgDetaliz || (focus != nullptr && dbgDetalizFind->isAncestorOf(focus)) ||
                    (lvFilterModel->rowCount() == 0 && gridModel_->rowCount() > 0);
  (grid ? dbgDetalizFind : lvFilterFind)->Open();
}

Status TMainForm::ReadGridFindRows(FindRows* rows) {
  rows->Clear();
  if (!table_->IsOpen() || !gridModel_->Attached()) return Status::Ok();
  BusyCursorScope busy;
  std::optional<SplashScope> splash;
  if (table_->RecordCount() >= kSplashRecords) {
    splash.emplace(settings_.showSplash);
    splash->SetState(AddedTextOf(AddedText::FindPreparing));
    splash->SetStage(1, 1);
  }
  return FindRowsOfTable(table_.get(), splash ? splash->Progress() : ProgressFn(), rows);
}
