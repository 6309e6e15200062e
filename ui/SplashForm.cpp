// The splash keeps its designed geometry: a 168 x 193 client area, the logo
// at the top, the two halves of the program's name, a separator line and
// three bold texts (state, stage, progress). The name is the program's title
// in the language used, split at its first blank; a name wider than the
// splash is drawn smaller, so it is never cut.
#include "ui/SplashForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "ui/Logo.h"
#include "ui/QtLanguage.h"

namespace {

TSplashForm* gSplash = nullptr;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  return label;
}

// The left and right margins of the name, as the designed labels stand.
constexpr int kNameLeft = 11;
constexpr int kNameRight = 6;

// Splits `title` after its first blank ("Tellura " and "Detalization"); a
// title without one is all first half.
std::pair<QString, QString> NameHalves(const QString& title) {
  const qsizetype blank = title.indexOf(' ');
  if (blank < 0) return {title, QString()};
  return {title.left(blank + 1), title.mid(blank + 1)};
}

}  // namespace

TSplashForm::TSplashForm(QWidget* parent) : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("SplashForm");
  setFixedSize(168, 193);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  setPalette(pal);

  Image = MakeLabel(this, "Image", QString(), QRect(34, 11, 100, 100));
  Image->setPixmap(zvonar::ZvonarLogo(100));

  QFont nameFont("Times New Roman");
  nameFont.setPixelSize(16);
  nameFont.setBold(true);
  nameFont.setUnderline(true);
  const auto [first, second] = NameHalves(zvonar::ProgramTitle());
  const int room = width() - kNameLeft - kNameRight;
  while (nameFont.pixelSize() > 8 &&
         QFontMetrics(nameFont).horizontalAdvance(first + " " + second) > room)
    nameFont.setPixelSize(nameFont.pixelSize() - 1);
  const QFontMetrics metrics(nameFont);
  const int firstWidth = metrics.horizontalAdvance(first);
  const int secondWidth = metrics.horizontalAdvance(" " + second);
  // The two halves stand side by side, centred between the margins.
  const int left = kNameLeft + std::max(0, (room - firstWidth - secondWidth) / 2);
  lProgName1 = MakeLabel(this, "lProgName1", first, QRect(left, 118, firstWidth, 20));
  lProgName1->setFont(nameFont);
  lProgName1->setStyleSheet("color: purple");
  lProgName2 = MakeLabel(this, "lProgName2", second.isEmpty() ? QString() : " " + second,
                         QRect(left + firstWidth, 118, secondWidth, 20));
  lProgName2->setFont(nameFont);
  lProgName2->setStyleSheet("color: green");

  Bevel = new QFrame(this);
  Bevel->setObjectName("Bevel");
  Bevel->setFrameStyle(QFrame::HLine | QFrame::Raised);
  Bevel->setGeometry(10, 142, 147, 2);

  QFont bold = font();
  bold.setBold(true);
  lLoading = MakeLabel(this, "lLoading", zvonar::LanguageText(zvonar::AddedText::ProgramLoading),
                      QRect(16, 150, 137, 16));
  lCounter1 = MakeLabel(this, "lCounter1", "\\", QRect(12, 168, 62, 16));
  lCounter2 = MakeLabel(this, "lCounter2", "/", QRect(72, 168, 90, 16));
  for (QLabel* label : {lLoading, lCounter1, lCounter2}) {
    label->setFont(bold);
    label->setAlignment(Qt::AlignCenter);
  }
  if (const QScreen* screen = QApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
}

void TSplashForm::SetState(const QString& text) { lLoading->setText(text); }

namespace zvonar {

TSplashForm* CurrentSplash() { return gSplash; }

SplashScope::SplashScope(bool showSplash, bool mayCreate) {
  if (gSplash == nullptr && showSplash && mayCreate) {
    gSplash = new TSplashForm();
    gSplash->show();
    gSplash->repaint();
    owns_ = true;
  }
  sincePaint_.start();
}

SplashScope::~SplashScope() {
  if (owns_ && gSplash != nullptr) {
    gSplash->hide();
    delete gSplash;
    gSplash = nullptr;
  }
}

void SplashScope::SetStage(int stage, int stages) { SetStageText(QString("%1 / %2").arg(stage).arg(stages)); }

void SplashScope::SetStageText(const QString& text) {
  if (gSplash == nullptr) return;
  gSplash->lCounter1->setText(text);
  gSplash->repaint();
}

void SplashScope::SetCompactStage(int stage, int stages) {
  SetStageText(QString("%1/%2").arg(stage).arg(stages));
}

void SplashScope::SetProgress(int64_t position, int64_t total) {
  ShowProgress(position, total, " / ");
}

void SplashScope::ShowProgress(int64_t position, int64_t total, const char* separator) {
  if (gSplash == nullptr) return;
  // A scan reports every record; the text changes only when it can be seen,
  // and even reading the clock would cost a million-record scan a few
  // hundredths of a second, so it is read every 64th report.
  if (progressShown_ && position < total) {
    if (++reportsSinceClock_ < 64) return;
    reportsSinceClock_ = 0;
    if (sincePaint_.elapsed() < 40) return;
  }
  progressShown_ = true;
  gSplash->lCounter2->setText(QString::number(position) + separator + QString::number(total));
  gSplash->repaint();
  sincePaint_.restart();
}

void SplashScope::SetState(const QString& text) {
  if (gSplash == nullptr) return;
  gSplash->SetState(text);
  gSplash->repaint();
}

ProgressFn SplashScope::Progress() {
  return [this](int64_t position, int64_t total) { SetProgress(position, total); };
}

ProgressFn SplashScope::CompactProgress() {
  return [this](int64_t position, int64_t total) { ShowProgress(position, total, "/"); };
}

}  // namespace zvonar
