// The first start: while the table has no records and the result list no
// rows, a centred welcome covers the result list with what the program does,
// a button for Add Detalization and one that imports the shipped example
// bills with their books. Bills dropped onto the window from a file manager
// are imported as chosen ones, whatever the welcome shows.
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include "app/MainForm.h"
#include "base/DataDir.h"
#include "base/TextFile.h"
#include "config/IniFile.h"
#include "config/LanguageFile.h"
#include "config/ShippedFiles.h"
#include "import/TextUtils.h"
#include "store/Table.h"
#include "ui/Busy.h"
#include "ui/ListModels.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

// Keeps `overlay`, a child of an ancestor of the watched widget, over the
// whole of that widget, scroll bars and header included.
class CoverFilter : public QObject {
 public:
  CoverFilter(QWidget* watched, QWidget* overlay) : QObject(watched), overlay_(overlay) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move || event->type() == QEvent::Show)
      Cover(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
  }

  void Cover(QWidget* covered) {
    overlay_->setGeometry(QRect(covered->mapTo(overlay_->parentWidget(), QPoint(0, 0)), covered->size()));
    overlay_->raise();
  }

 private:
  QWidget* overlay_;
};

// Takes the file drags of the window: accepts those that carry local files
// and hands a drop's URLs to the window.
class DropFilter : public QObject {
 public:
  explicit DropFilter(TMainForm* form) : QObject(form), form_(form) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!HasLocalFile(drag->mimeData())) return false;
        drag->acceptProposedAction();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!HasLocalFile(drop->mimeData())) return false;
        drop->acceptProposedAction();
        // The drag's source waits for the drop to end: the import, with its
        // questions, runs once the event is done.
        const QList<QUrl> urls = drop->mimeData()->urls();
        QMetaObject::invokeMethod(form_, [form = form_, urls] { form->ImportDroppedFiles(urls); },
                                  Qt::QueuedConnection);
        return true;
      }
      default:
        return QObject::eventFilter(watched, event);
    }
  }

 private:
  static bool HasLocalFile(const QMimeData* mime) {
    if (mime == nullptr) return false;
    for (const QUrl& url : mime->urls())
      if (url.isLocalFile()) return true;
    return false;
  }

  TMainForm* form_;
};

}  // namespace

void TMainForm::CreateWelcome() {
  frWelcome = new QFrame(panelMain);
  frWelcome->setObjectName("frWelcome");
  frWelcome->setAutoFillBackground(true);
  frWelcome->setBackgroundRole(QPalette::Base);
  frWelcome->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  lWelcome = new QLabel(frWelcome);
  lWelcome->setObjectName("lWelcome");
  lWelcome->setWordWrap(true);
  lWelcome->setAlignment(Qt::AlignCenter);
  lWelcome->setTextFormat(Qt::PlainText);
  lWelcome->setMaximumWidth(560);
  btnWelcomeAddDetalization = new QPushButton(frWelcome);
  btnWelcomeAddDetalization->setObjectName("btnWelcomeAddDetalization");
  btnWelcomeExamples = new QPushButton(frWelcome);
  btnWelcomeExamples->setObjectName("btnWelcomeExamples");

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnWelcomeAddDetalization);
  buttons->addWidget(btnWelcomeExamples);
  buttons->addStretch(1);
  auto* column = new QVBoxLayout(frWelcome);
  column->addStretch(1);
  column->addWidget(lWelcome, 0, Qt::AlignHCenter);
  column->addSpacing(8);
  column->addLayout(buttons);
  column->addStretch(1);
  auto* cover = new CoverFilter(lvFilter, frWelcome);
  lvFilter->installEventFilter(cover);
  cover->Cover(lvFilter);

  connect(btnWelcomeAddDetalization, &QPushButton::clicked, mnAddDetalization, &QAction::trigger);
  connect(btnWelcomeExamples, &QPushButton::clicked, this,
          Guarded(this, &TMainForm::btnWelcomeExamplesClick, prompts_));
  const auto update = [this] { UpdateWelcome(); };
  connect(lvFilterModel, &QAbstractItemModel::modelReset, this, update);
  connect(lvFilterModel, &QAbstractItemModel::rowsInserted, this, update);
  connect(lvFilterModel, &QAbstractItemModel::rowsRemoved, this, update);
  ApplyWelcomeTexts(LanguageFile());

  setAcceptDrops(true);
  installEventFilter(new DropFilter(this));

  // An owner the user chooses or types stays in the box across imports.
  const auto picked = [this] { ownerPicked_ = !edFilterOwner->currentText().isEmpty(); };
  connect(edFilterOwner, &QComboBox::activated, this, picked);
  connect(edFilterOwner->lineEdit(), &QLineEdit::textEdited, this, picked);
}

void TMainForm::ApplyWelcomeTexts(const LanguageFile& lang) {
  lWelcome->setText(ToQt(TextOf(lang, AddedText::WelcomeText)) + "\n\n" + ToQt(TextOf(lang, AddedText::WelcomeHint)));
  btnWelcomeAddDetalization->setText(mnAddDetalization->text());
  btnWelcomeExamples->setText(ToQt(TextOf(lang, AddedText::WelcomeExamples)));
}

void TMainForm::UpdateWelcome() {
  const bool empty = !(table_ && table_->IsOpen() && table_->RecordCount() > 0) && lvFilterModel->Rows().Empty();
  frWelcome->setVisible(empty);
}

void TMainForm::btnWelcomeExamplesClick() {
  const std::string examplesDir = ShippedExamplesDir(ExecutableDir());
  const bool hadCodeTypes = FileExists(JoinPath(programDir_, "codetype.dat"));
  std::vector<std::string> bills;
  const Status s = CopyShippedExamples(examplesDir, programDir_, &bills);
  if (s.kind() == StatusKind::NotFound)
    return prompts_->ShowError(AddedTextOf(AddedText::ExamplesNotFound).arg(QtPathFromNative(examplesDir)));
  if (!s.ok()) return prompts_->ShowError(QString::fromStdString(s.message()));
  // The books came with the examples: the number and code/type lists
  // offer their entries at once.
  IniFile book;
  if (IniFile::Load(JoinPath(programDir_, "abonents.dat"), &book).ok()) {
    QStringList numbers;
    for (const std::string& number : book.ReadSectionKeys("Abonents")) numbers << ToQt(number);
    SetComboItemsKeepText(cbFilterNumber, numbers);
  }
  if (!hadCodeTypes) {
    RefreshCodeTypeBoxes();
    BuildStatRows();
  }
  ImportBills(std::move(bills), false);
}

void TMainForm::ImportDroppedFiles(const QList<QUrl>& urls) {
  std::vector<std::string> paths;
  for (const QUrl& url : urls)
    if (url.isLocalFile()) paths.push_back(NativePathFromQt(url.toLocalFile()));
  ImportBills(std::move(paths), true);
}
