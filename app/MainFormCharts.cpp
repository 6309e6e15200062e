// The Charts command of the File menu: figures of the result list drawn in
// the chart window. The command is enabled while lvFilter has rows.
#include <QAction>
#include <QMenu>

#include "analysis/CallFigures.h"
#include "app/ChartsForm.h"
#include "app/MainForm.h"
#include "books/CodesTypes.h"
#include "import/NameValueList.h"
#include "ui/Busy.h"
#include "ui/ListModels.h"
#include "ui/QtText.h"

using namespace zvonar;

void TMainForm::CreateChartsCommand() {
  mnCharts = new QAction("Charts...", this);
  mnCharts->setObjectName("mnCharts");
  // After the printing commands, before the separator above Exit.
  const QList<QAction*> items = mnFile->actions();
  const qsizetype exitAt = items.indexOf(mnExit);
  mnFile->insertAction(exitAt > 0 ? items[exitAt - 1] : mnExit, mnCharts);
  connect(mnCharts, &QAction::triggered, this, Guarded(this, &TMainForm::mnChartsClick, prompts_));
  const auto follow = [this] { mnCharts->setEnabled(lvFilterModel->rowCount() > 0); };
  connect(lvFilterModel, &QAbstractItemModel::modelReset, this, follow);
  connect(lvFilterModel, &QAbstractItemModel::rowsInserted, this, follow);
  connect(lvFilterModel, &QAbstractItemModel::rowsRemoved, this, follow);
  follow();
}

void TMainForm::mnChartsClick() {
  if (lvFilterModel->rowCount() == 0) return;
  CallFigures figures;
  {
    BusyCursorScope busy;
    const NameValueList book = LoadAbonentsBookLines();
    std::vector<CodeTypeRow> codeTypes;
    (void)LoadCodeTypes(CodeTypePath(programDir_), &codeTypes);  // without the table, types show as they stand
    figures = ComputeCallFigures(lvFilterModel->Rows(), &book, FromQtLossy(NoNameText),
                                 CodeTypeTextFinder(std::move(codeTypes)));
  }
  TChartsForm form(
      figures, settings_.language, [this](AddedText t) { return AddedTextOf(t); }, prompts_, BillDirectory(), this);
  form.SetDataDir(programDir_);
  form.exec();
}
