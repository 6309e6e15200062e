// The About box: the program's name and version and two links to its maker.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TFormAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAbout(QWidget* parent = nullptr);

  QLabel* lProgNameEn;  // the program's title
  QLabel* lVersion;
  QLabel* lAbout1;
  QLabel* lAbout2;
  QLabel* lAbout3;
  QLabel* lEmail;
  QLabel* lSite;
  QPushButton* btnClose;
};

namespace zvonar {

inline constexpr const char* kMakerEmail = "zvonar@example.org";
inline constexpr const char* kMakerSite = "https://zvonar.example.org/";

// Shows the About box modally.
void ShowAbout(QWidget* parent);

}  // namespace zvonar
