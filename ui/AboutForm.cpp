// Links open with the desktop's default program; a failure to open one is
// not reported. The texts come from the language used; the program's name is
// its one title, as in every window.
#include "ui/AboutForm.h"

#include <QDesktopServices>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/Logo.h"
#include "ui/QtLanguage.h"
#include "ui/QtText.h"

namespace {

QLabel* Centred(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  return label;
}

QLabel* Link(const QString& shown, const QString& target, const char* name, QWidget* parent) {
  auto* label = new QLabel(QString("<a href=\"%1\" style=\"color:blue\">%2</a>").arg(target.toHtmlEscaped(),
                                                                                       shown.toHtmlEscaped()),
                           parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  label->setCursor(Qt::PointingHandCursor);
  QObject::connect(label, &QLabel::linkActivated, label,
                   [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
  return label;
}

}  // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("FormAbout");
  using zvonar::AddedText;
  using zvonar::LanguageText;
  setWindowTitle(LanguageText(AddedText::AboutCaption));
  auto* layout = new QVBoxLayout(this);

  auto* logo = new QLabel(this);
  logo->setPixmap(zvonar::ZvonarLogo(64));
  logo->setAlignment(Qt::AlignCenter);
  layout->addWidget(logo);

  QFont title = font();
  title.setBold(true);
  title.setItalic(true);
  lProgNameEn = Centred(zvonar::ProgramTitle(), "lProgNameEn", this);
  lProgNameEn->setFont(title);
  lVersion = Centred(LanguageText(AddedText::AboutVersion).arg("2.3.3.65"), "lVersion", this);
  lAbout1 = Centred(LanguageText(AddedText::AboutLine1), "lAbout1", this);
  lAbout2 = Centred(LanguageText(AddedText::AboutLine2), "lAbout2", this);
  lAbout3 = Centred(LanguageText(AddedText::AboutLine3), "lAbout3", this);
  QFont italic = lAbout3->font();
  italic.setItalic(true);
  lAbout3->setFont(italic);
  for (QLabel* label : {lProgNameEn, lVersion, lAbout1, lAbout2, lAbout3}) layout->addWidget(label);

  auto* links = new QFormLayout();
  lEmail = Link(zvonar::kMakerEmail, QString("mailto:") + zvonar::kMakerEmail, "lEmail", this);
  lSite = Link(zvonar::kMakerSite, zvonar::kMakerSite, "lSite", this);
  links->addRow(LanguageText(AddedText::AboutEmail), lEmail);
  links->addRow(LanguageText(AddedText::AboutSite), lSite);
  layout->addLayout(links);

  // The Close button of every dialog: line 43.
  const zvonar::LanguageFile& lang = zvonar::LanguageTexts();
  btnClose = new QPushButton(lang.HasGroup(44) ? zvonar::QtCaption(lang.Line(43)) : QString("Close"), this);
  btnClose->setObjectName("btnClose");
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(btnClose, 0, Qt::AlignCenter);
  setFixedSize(sizeHint());
}

namespace zvonar {

void ShowAbout(QWidget* parent) {
  TFormAbout about(parent);
  about.exec();
}

}  // namespace zvonar
