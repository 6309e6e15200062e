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
  QString ChooseOpenFile(const QString&, const QString& dir, QString*) override {
    dirs << dir;
    return NextFile();
  }
  QString ChooseSaveFile(const QString&, const QString& dir, QString*) override {
    dirs << dir;
    return NextFile();
  }

  QStringList errors, infos, questions;
  QStringList dirs;  // the start directory of each chooser, in order
  std::deque<bool> answers;
  std::deque<QString> files;

 private:
  QString NextFile() {
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    return f;
  }
};

}  // namespace zvonar::testing
