// The summary lines are column-aligned, hence the fixed-pitch font.
#include "import/MemoForm.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "base/TextFile.h"
#include "ui/QtText.h"

TmemoForm::TmemoForm(QWidget* parent) : QDialog(parent) {
  setObjectName("memoForm");
  setWindowTitle("Summary");
  resize(672, 466);
  memo = new QPlainTextEdit(this);
  memo->setObjectName("memo");
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont fixed("Courier New");
  fixed.setStyleHint(QFont::Monospace);
  if (!QFontInfo(fixed).fixedPitch()) fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  memo->setFont(fixed);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(memo);
}

void TmemoForm::closeEvent(QCloseEvent* event) {
  memo->clear();
  QDialog::closeEvent(event);
}

namespace zvonar {

Status ShowMemo(QWidget* parent, const QString& caption, const std::string& fileName) {
  std::string content;
  Status s = ReadWholeFile(fileName, &content);
  if (!s.ok()) return s;
  TmemoForm form(parent);
  if (!caption.isEmpty()) form.setWindowTitle(caption);
  QStringList lines;
  for (const std::string& line : SplitLines(content)) lines << ToQt(line);
  form.memo->setPlainText(lines.join('\n'));
  form.exec();
  return Status::Ok();
}

}  // namespace zvonar
