// Message boxes carry the program's caption, as every box of the program does.
#include "ui/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTextEdit>
#include <algorithm>

namespace zvonar {

void QtPrompts::ShowError(const QString& text) {
  QMessageBox::critical(parent_, QApplication::applicationName(), text);
}

void QtPrompts::ShowInfo(const QString& text) {
  QMessageBox::information(parent_, QApplication::applicationName(), text);
}

bool QtPrompts::AskYesNo(const QString& text) {
  return QMessageBox::question(parent_, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

QString QtPrompts::ChooseOpenFile(const QString& filter, const QString& dir, QString* selectedFilter) {
  return QFileDialog::getOpenFileName(parent_, QString(), dir, filter, selectedFilter);
}

QString QtPrompts::ChooseSaveFile(const QString& filter, const QString& dir, QString* selectedFilter) {
  return QFileDialog::getSaveFileName(parent_, QString(), dir, filter, selectedFilter);
}

bool QtPrompts::AskYesNoDefaultNo(const QString& text) {
  return QMessageBox::question(parent_, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompts::ShowInfoDetails(const QString& text, const QString& details) {
  QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text, QMessageBox::Ok, parent_);
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
  return QFileDialog::getOpenFileNames(parent_, QString(), dir, filter, selectedFilter);
}

}  // namespace zvonar
