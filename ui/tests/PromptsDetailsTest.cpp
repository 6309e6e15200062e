// The information box with details, as the import shows a bill's rejected
// lines: its details area is wide enough for the longest line.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTextEdit>
#include <QtTest>

#include "ui/Prompts.h"

class PromptsDetailsTest : public QObject {
  Q_OBJECT

 private slots:
  void TheDetailsAreaFitsItsLongestLine() {
    // A rejected line as the import shows it: the reason on a line of its own.
    const QString longest = "Data not Corrected, so not Stored: 2008.03.07 12:00:00 84951234567";
    const QString details = longest + "\nSec \"123456789\" does not fit the field (7 characters)";
    int fitted = 0, wanted = 0;
    bool wraps = true;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      auto* edit = box->findChild<QTextEdit*>();
      QVERIFY(edit != nullptr);
      // Shown as the user shows it, by the details button.
      for (QAbstractButton* b : box->buttons())
        if (box->buttonRole(b) == QMessageBox::ActionRole) b->click();
      QApplication::processEvents();
      QVERIFY(edit->isVisible());
      fitted = edit->width();
      wanted = edit->fontMetrics().horizontalAdvance(longest);
      wraps = edit->lineWrapMode() != QTextEdit::NoWrap;
      box->accept();
    });
    zvonar::QtPrompts prompts(nullptr);
    prompts.ShowInfoDetails("1 lines were not stored", details);
    QVERIFY2(fitted > wanted, qPrintable(QString("%1 <= %2").arg(fitted).arg(wanted)));
    QVERIFY(!wraps);
  }
};

QTEST_MAIN(PromptsDetailsTest)
#include "PromptsDetailsTest.moc"
