// Prompts for window tests: records every message and answers questions
// from a script.
#pragma once

#include <QStringList>
#include <deque>

#include "ui/Prompts.h"

namespace zvonar::testing {

class ScriptedPrompts : public Prompts {
 public:
  void ShowError(const QString& text) override { errors << text; }
  void ShowInfo(const QString& text) override { infos << text; }
  bool AskYesNo(const QString& text) override {
    questions << text;
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString ChooseOpenFile(const QString& filter, const QString& dir, QString*) override {
    filters << filter;
    dirs << dir;
    return NextFile();
  }
  QString ChooseSaveFile(const QString& filter, const QString& dir, QString*) override {
    filters << filter;
    dirs << dir;
    return NextFile();
  }
  bool AskYesNoDefaultNo(const QString& text) override {
    noByDefault << text;
    return AskYesNo(text);
  }
  void ShowInfoDetails(const QString& text, const QString& details) override {
    infos << text;
    infoDetails << details;
  }
  // Takes the next list of `fileLists`; without one, the next of `files`.
  QStringList ChooseOpenFiles(const QString& filter, const QString& dir, QString* selectedFilter) override {
    dirs << dir;
    filters << filter;
    selectedFilters << (selectedFilter != nullptr ? *selectedFilter : QString());
    if (fileLists.empty()) {
      const QString file = NextFile();
      return file.isEmpty() ? QStringList() : QStringList{file};
    }
    QStringList chosen = fileLists.front();
    fileLists.pop_front();
    return chosen;
  }

  QStringList errors, infos, questions;
  QStringList noByDefault;  // the questions asked with No as the default
  QStringList infoDetails;  // the details of each ShowInfoDetails, in order
  QStringList dirs;  // the start directory of each chooser, in order
  // The name filters of each chooser, in order; the preselected filter of
  // each multi-file chooser.
  QStringList filters, selectedFilters;
  std::deque<bool> answers;
  std::deque<QString> files;
  std::deque<QStringList> fileLists;

 private:
  QString NextFile() {
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    return f;
  }
};

}  // namespace zvonar::testing
