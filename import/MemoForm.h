// The read-only viewer of month summaries: a fixed-pitch text area filling
// the window, with both scroll bars.
#pragma once

#include <QDialog>

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

// Shows the text file (code page 1251) in a TmemoForm titled `caption`, or
// "Summary" when the caption is empty. Returns false, showing nothing, when
// the file cannot be read.
bool ShowMemo(QWidget* parent, const QString& caption, const std::string& fileName);

}  // namespace zvonar
