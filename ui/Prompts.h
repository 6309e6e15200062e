// Every message box and file chooser of the windows goes through Prompts, so
// that window tests can answer them without a screen.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zvonar {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // An error box with an OK button.
  virtual void ShowError(const QString& text) = 0;
  // A plain information box.
  virtual void ShowInfo(const QString& text) = 0;
  // A question with Yes and No; true for Yes.
  virtual bool AskYesNo(const QString& text) = 0;
  // A file to open or to save; empty when the user cancels. `filter` holds
  // Qt name filters separated by ";;"; `selectedFilter` the preselected one
  // on entry and the chosen one on return.
  virtual QString ChooseOpenFile(const QString& filter, const QString& dir, QString* selectedFilter) = 0;
  virtual QString ChooseSaveFile(const QString& filter, const QString& dir, QString* selectedFilter) = 0;
  // A question with Yes and No whose default button is No; true for Yes.
  virtual bool AskYesNoDefaultNo(const QString& text) { return AskYesNo(text); }
  // An information box with a longer text behind a details button.
  virtual void ShowInfoDetails(const QString& text, const QString& details) { ShowInfo(text + "\n\n" + details); }
  // Several files to open, as ChooseOpenFile; empty when the user cancels.
  virtual QStringList ChooseOpenFiles(const QString& filter, const QString& dir, QString* selectedFilter) {
    const QString file = ChooseOpenFile(filter, dir, selectedFilter);
    return file.isEmpty() ? QStringList() : QStringList{file};
  }
};

// Prompts shown as real dialogs over `parent`.
class QtPrompts : public Prompts {
 public:
  explicit QtPrompts(QWidget* parent) : parent_(parent) {}
  void ShowError(const QString& text) override;
  void ShowInfo(const QString& text) override;
  bool AskYesNo(const QString& text) override;
  QString ChooseOpenFile(const QString& filter, const QString& dir, QString* selectedFilter) override;
  QString ChooseSaveFile(const QString& filter, const QString& dir, QString* selectedFilter) override;
  bool AskYesNoDefaultNo(const QString& text) override;
  void ShowInfoDetails(const QString& text, const QString& details) override;
  QStringList ChooseOpenFiles(const QString& filter, const QString& dir, QString* selectedFilter) override;

 private:
  QWidget* parent_;
};

}  // namespace zvonar
