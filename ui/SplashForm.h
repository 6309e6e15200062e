// The progress splash: a small borderless window that names the stage of a
// long operation and how far it has got. At most one exists at a time; the
// operation that created it is the only one that closes it.
#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <cstdint>

#include "base/Progress.h"

class QLabel;

class TSplashForm : public QFrame {
  Q_OBJECT

 public:
  explicit TSplashForm(QWidget* parent = nullptr);

  void SetState(const QString& text);

  QLabel* Image;
  QLabel* lProgName1;
  QLabel* lProgName2;
  QFrame* Bevel;
  QLabel* lLoading;
  QLabel* lCounter1;
  QLabel* lCounter2;
};

namespace zvonar {

// The one splash of the program, or null when none is shown.
TSplashForm* CurrentSplash();

// One operation's use of the splash. When `mayCreate` and `showSplash` are
// set and no splash exists, it creates and shows one and owns it; otherwise
// it uses the splash that exists, if any. The owner closes the splash when
// the scope ends, on every path out.
class SplashScope {
 public:
  SplashScope(bool showSplash, bool mayCreate = true);
  ~SplashScope();
  SplashScope(const SplashScope&) = delete;
  SplashScope& operator=(const SplashScope&) = delete;

  bool Owns() const { return owns_; }
  // Stage text, e.g. "1 / 1"; progress text "position / total". Each change
  // is painted at once; progress is painted at most every few milliseconds
  // (the clock read only every few dozen reports) and always at the last
  // step, so a scan of a million records is not slowed.
  void SetStage(int stage, int stages);
  // Any stage text, e.g. "file 2 / 12".
  void SetStageText(const QString& text);
  void SetProgress(int64_t position, int64_t total);
  void SetState(const QString& text);
  // A progress callback for core operations.
  ProgressFn Progress();
  // The stage and progress texts without blanks, "2/5", as the old-base
  // import and the loading of a filtered list write them.
  void SetCompactStage(int stage, int stages);
  ProgressFn CompactProgress();

 private:
  void ShowProgress(int64_t position, int64_t total, const char* separator);

  bool owns_ = false;
  bool progressShown_ = false;
  int reportsSinceClock_ = 0;  // progress reports since the clock was read
  QElapsedTimer sincePaint_;
};

}  // namespace zvonar
