// The read-only viewer of month summaries: a fixed-pitch text area filling
// the window, with both scroll bars.
#pragma once

#include <QDialog>
#include <string>

#include "base/Status.h"

class QPlainTextEdit;

class TmemoForm : public QDialog {
  Q_OBJECT

 public:
  explicit TmemoForm(QWidget* parent = nullptr);

  QPlainTextEdit* memo;

 protected:
  void closeEvent(QCloseEvent* event) override;
};

namespace zvonar {

// Shows the text file (code page 1251) at the native path `fileName` in a
// TmemoForm titled `caption`, or "Summary" when the caption is empty. When
// the file cannot be read, shows nothing and returns the error, which names
// the file and the reason.
Status ShowMemo(QWidget* parent, const QString& caption, const std::string& fileName);

}  // namespace zvonar
