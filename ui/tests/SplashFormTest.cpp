// The progress protocol of the splash: who creates it, who closes it.
#include <QLabel>
#include <QtTest>

#include "ui/SplashForm.h"

using zvonar::CurrentSplash;
using zvonar::SplashScope;

class SplashFormTest : public QObject {
  Q_OBJECT

 private slots:
  void SettingOffShowsNoSplash() {
    {
      SplashScope scope(false);
      QVERIFY(CurrentSplash() == nullptr);
      scope.SetProgress(5, 10);  // nothing to update, nothing breaks
    }
    QVERIFY(CurrentSplash() == nullptr);
  }

  void NestedUsersLeaveTheOwnersSplash() {
    {
      SplashScope owner(true);
      QVERIFY(owner.Owns());
      TSplashForm* splash = CurrentSplash();
      QVERIFY(splash != nullptr);
      {
        SplashScope user(true);
        QVERIFY(!user.Owns());
        QCOMPARE(CurrentSplash(), splash);
        user.SetStage(1, 1);
        user.SetProgress(120, 120);
      }
      QCOMPARE(CurrentSplash(), splash);
      QCOMPARE(splash->lCounter1->text(), QString("1 / 1"));
      QCOMPARE(splash->lCounter2->text(), QString("120 / 120"));
    }
    QVERIFY(CurrentSplash() == nullptr);
  }

  void ScopeThatMayNotCreateOnlyUpdatesAVisibleSplash() {
    {
      SplashScope fill(true, false);
      QVERIFY(CurrentSplash() == nullptr);
    }
    SplashScope owner(true);
    owner.SetState("Copying...");
    QCOMPARE(CurrentSplash()->lLoading->text(), QString("Copying..."));
    const zvonar::ProgressFn progress = owner.Progress();
    progress(3, 7);
    QCOMPARE(CurrentSplash()->lCounter2->text(), QString("3 / 7"));

    // The old base's owners and a list file's lines count without blanks.
    owner.SetCompactStage(2, 5);
    QCOMPARE(CurrentSplash()->lCounter1->text(), QString("2/5"));
    owner.CompactProgress()(7, 7);
    QCOMPARE(CurrentSplash()->lCounter2->text(), QString("7/7"));
  }
};

QTEST_MAIN(SplashFormTest)
#include "SplashFormTest.moc"
