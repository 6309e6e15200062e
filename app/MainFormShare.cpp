// The main window beside other programs that write the table (zvonar-cli
// from a script): the window holds the table's lock only while it reads or
// writes, and when a read finds records that another program added,
// removed or changed, or the window comes to the front, it shows them: the
// counters, the owners another import learnt, the grid and Undo Last
// Import. The filter's settings and results stay as the user left them.
#include <QComboBox>
#include <QEvent>
#include <QTimer>

#include "app/MainForm.h"
#include "config/OwnersFile.h"
#include "import/TextUtils.h"
#include "store/Table.h"
#include "ui/QtText.h"
#include "ui/TableGridModel.h"

using namespace zvonar;

namespace {

// How long coming to the front waits for a writer before leaving the look
// to the next read.
constexpr std::chrono::milliseconds kActivationWait{100};

}  // namespace

void TMainForm::ShareTableWithWriters() {
  table_->LockOnlyWhileReading();
  // Called inside a read of the table: the window follows once that ends.
  table_->SetOthersChangedHook([this] {
    if (othersChangesPending_) return;
    othersChangesPending_ = true;
    QTimer::singleShot(0, this, &TMainForm::ShowOthersChanges);
  });
}

void TMainForm::LookForOthersChanges() {
  if (!table_ || !table_->IsOpen()) return;
  // Taking the lock loads what others changed, and the hook shows it.
  const TableReadHold look(*table_, kActivationWait);
}

void TMainForm::ShowOthersChanges() {
  othersChangesPending_ = false;
  UpdateCounters();
  // Owners another program's import learnt join the box; the text and the
  // items the window already had stay.
  std::vector<std::string> owners;
  if (ReadOwnersFile(JoinPath(programDir_, "Tellura.dat"), &owners).ok()) {
    QStringList items;
    for (int i = 0; i < edFilterOwner->count(); ++i) items << edFilterOwner->itemText(i);
    const int before = static_cast<int>(items.size());
    for (const std::string& owner : owners)
      if (!items.contains(ToQt(owner))) items << ToQt(owner);
    if (items.size() != before) SetComboItemsKeepText(edFilterOwner, items);
  }
  if (gridModel_->Attached()) gridModel_->Reset();
  UpdateUndoEnabled();
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) LookForOthersChanges();
}
