// The common frame of the configuration dialogs and their drawn icons.
#include "config/ConfigDialog.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "base/TextFile.h"
#include "config/DialogLimits.h"
#include "ui/Busy.h"

TConfigDialog::TConfigDialog(const char* name, const QString& caption, zvonar::Prompts* prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setObjectName(name);
  setWindowTitle(caption);
  setModal(true);
  // A dialog frame without the help and maximise buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  btnClose = zvonar::Named(new QPushButton("Close", this), "btnClose");
  btnClose->setDefault(true);
  connect(btnClose, &QPushButton::clicked, this, zvonar::Guarded(this, &TConfigDialog::btnCloseClick, prompts_));
}

void TConfigDialog::LayOutGroups(std::initializer_list<QWidget*> groups) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  for (QWidget* group : groups) layout->addWidget(group);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TConfigDialog::btnCloseClick() {
  if (StoreControls()) accept();
}

void TConfigDialog::reject() {
  btnCloseClick();
}

bool TConfigDialog::LoadDialogLanguage(const std::string& programDir, const std::string& languageBaseName,
                                       zvonar::LanguageFile* lang) {
  *lang = zvonar::LanguageFile();
  if (languageBaseName.empty()) return false;
  const std::string path = zvonar::LanguageFilePath(programDir, languageBaseName);
  return zvonar::FileExists(path) && zvonar::LanguageFile::Load(path, lang).ok();
}

namespace zvonar {
namespace {

// A plus or a minus sign, drawn thick in `colour` on a clear square.
QIcon DrawnSign(bool plus, const QColor& colour) {
  QIcon icon;
  for (const int size : {16, 24, 32}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const int bar = std::max(2, size / 6);
    const int margin = size / 6;
    const int middle = (size - bar) / 2;
    painter.fillRect(margin, middle, size - 2 * margin, bar, colour);
    if (plus) painter.fillRect(middle, margin, bar, size - 2 * margin, colour);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon AddIcon() {
  return QIcon::fromTheme("list-add", DrawnSign(true, QColor(0x2e, 0x8b, 0x2e)));
}

QIcon RemoveIcon() {
  return QIcon::fromTheme("list-remove", DrawnSign(false, QColor(0xc0, 0x20, 0x20)));
}

QSpinBox* LimitedSpinBox(const char* name, const SpinLimits& limits, QWidget* parent) {
  auto* spin = Named(new QSpinBox(parent), name);
  spin->setRange(limits.min, limits.max);
  return spin;
}

}  // namespace zvonar
