// Links open with the desktop's default program; a failure to open one is
// not reported.
#include "ui/AboutForm.h"

#include <QDesktopServices>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/Logo.h"

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
  setWindowTitle(QString::fromUtf8("Автор"));
  auto* layout = new QVBoxLayout(this);

  auto* logo = new QLabel(this);
  logo->setPixmap(zvonar::ZvonarLogo(64));
  logo->setAlignment(Qt::AlignCenter);
  layout->addWidget(logo);

  QFont title = font();
  title.setBold(true);
  title.setItalic(true);
  lProgNameEn = Centred("Tellura Detalization", "lProgNameEn", this);
  lProgNameRu = Centred(QString::fromUtf8("Теллура: Детализация"), "lProgNameRu", this);
  lProgNameEn->setFont(title);
  lProgNameRu->setFont(title);
  lVersion = Centred("version 2.3.3.65", "lVersion", this);
  lAbout1 = Centred("Reads the operator's itemised bills into a local table and finds your calls in it.",
                    "lAbout1", this);
  lAbout2 = Centred("This release keeps its table and index in standard dBase files.", "lAbout2", this);
  lAbout3 = Centred("Made for people who like to know where their money goes.", "lAbout3", this);
  QFont italic = lAbout3->font();
  italic.setItalic(true);
  lAbout3->setFont(italic);
  for (QLabel* label : {lProgNameEn, lProgNameRu, lVersion, lAbout1, lAbout2, lAbout3}) layout->addWidget(label);

  auto* links = new QFormLayout();
  lEmail = Link(zvonar::kMakerEmail, QString("mailto:") + zvonar::kMakerEmail, "lEmail", this);
  lSite = Link(zvonar::kMakerSite, zvonar::kMakerSite, "lSite", this);
  links->addRow("e-mail:", lEmail);
  links->addRow("site:", lSite);
  layout->addLayout(links);

  btnClose = new QPushButton(QString::fromUtf8("Закрыть"), this);
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
