// Message boxes carry the program's one name, the title line of the language
// file, as every box of the program does.
#include "ui/Prompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "ui/QtLanguage.h"

namespace zvonar {

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
  return QFileDialog::getOpenFileName(parent_, QString(), dir, filter, selectedFilter);
}

QString QtPrompts::ChooseSaveFile(const QString& filter, const QString& dir, QString* selectedFilter) {
  return QFileDialog::getSaveFileName(parent_, QString(), dir, filter, selectedFilter);
}

bool QtPrompts::AskYesNoDefaultNo(const QString& text) {
  return QMessageBox::question(parent_, ProgramTitle(), text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompts::ShowInfoDetails(const QString& text, const QString& details) {
  QMessageBox box(QMessageBox::Information, ProgramTitle(), text, QMessageBox::Ok, parent_);
  box.setDetailedText(details);
  box.exec();
}

QStringList QtPrompts::ChooseOpenFiles(const QString& filter, const QString& dir, QString* selectedFilter) {
  return QFileDialog::getOpenFileNames(parent_, QString(), dir, filter, selectedFilter);
}

}  // namespace zvonar
