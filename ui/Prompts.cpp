// Message boxes carry the program's one name, the title line of the language
// file, as every box of the program does.
#include "ui/Prompts.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QTextEdit>
#include <QTreeView>
#include <algorithm>

#include "ui/QtLanguage.h"

namespace zvonar {
namespace {

// Qt's own file dialog, showing names only: its dates and sizes would follow
// the system's locale rather than the program's language. The detail view,
// when the user turns to it, has columns as wide as their texts, so that
// translated type names are not cut. The chosen files, none when the user
// cancels.
QStringList RunFileDialog(QWidget* parent, QFileDialog::AcceptMode accept, QFileDialog::FileMode mode,
                          const QString& filter, const QString& dir, QString* selectedFilter) {
  QFileDialog dialog(parent, QString(), dir, filter);
  dialog.setAcceptMode(accept);
  dialog.setFileMode(mode);
  dialog.setViewMode(QFileDialog::List);
  if (selectedFilter != nullptr && !selectedFilter->isEmpty()) dialog.selectNameFilter(*selectedFilter);
  if (auto* details = dialog.findChild<QTreeView*>())
    details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  if (dialog.exec() != QDialog::Accepted) return {};
  if (selectedFilter != nullptr) *selectedFilter = dialog.selectedNameFilter();
  return dialog.selectedFiles();
}

}  // namespace

void QtPrompts::ShowError(const QString& text) {
  QMessageBox::critical(parent_, ProgramTitle(), text);
}

void QtPrompts::ShowInfo(const QString& text) {
  QMessageBox::information(parent_, ProgramTitle(), text);
}

bool QtPrompts::AskYesNo(const QString& text) {
  return QMessageBox::question(parent_, ProgramTitle(), text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

QString QtPrompts::ChooseOpenFile(const QString& filter, const QString& dir, QString* selectedFilter) {
  return RunFileDialog(parent_, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, filter, dir, selectedFilter)
      .value(0);
}

QString QtPrompts::ChooseSaveFile(const QString& filter, const QString& dir, QString* selectedFilter) {
  return RunFileDialog(parent_, QFileDialog::AcceptSave, QFileDialog::AnyFile, filter, dir, selectedFilter).value(0);
}

bool QtPrompts::AskYesNoDefaultNo(const QString& text) {
  return QMessageBox::question(parent_, ProgramTitle(), text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompts::ShowInfoDetails(const QString& text, const QString& details) {
  QMessageBox box(QMessageBox::Information, ProgramTitle(), text, QMessageBox::Ok, parent_);
  box.setDetailedText(details);
  // The details area as wide as its longest line, as far as the screen
  // allows, so that no line of it wraps.
  if (auto* edit = box.findChild<QTextEdit*>()) {
    int widest = 0;
    for (const QString& line : details.split('\n'))
      widest = std::max(widest, edit->fontMetrics().horizontalAdvance(line));
    const QScreen* screen = parent_ != nullptr ? parent_->screen() : QGuiApplication::primaryScreen();
    const int room = screen != nullptr ? std::max(300, screen->availableGeometry().width() - 120) : 900;
    edit->setLineWrapMode(QTextEdit::NoWrap);
    edit->setMinimumWidth(std::min(widest + 2 * edit->frameWidth() + 24, room));
  }
  box.exec();
}

QStringList QtPrompts::ChooseOpenFiles(const QString& filter, const QString& dir, QString* selectedFilter) {
  return RunFileDialog(parent_, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles, filter, dir, selectedFilter);
}

}  // namespace zvonar
