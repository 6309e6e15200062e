// Controls of the Services ID dialog: a row per list with its edit and its
// add and remove buttons, the type box the identifiers come from, Close.
#include "config/ServicesIDForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "config/AddedTexts.h"
#include "config/ServicesId.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

QToolButton* IconButton(const char* name, const QIcon& icon, QWidget* parent) {
  auto* button = Named(new QToolButton(parent), name);
  button->setIcon(icon);
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  return button;
}

}  // namespace

TServicesIDForm::TServicesIDForm(MainSettings* settings, const std::string& programDir, const QStringList& typeItems,
                                 Prompts* prompts, QWidget* parent)
    : TConfigDialog("ServicesIDForm", "Services ID", prompts, parent), settings_(settings) {
  gbServicesID = Named(new QGroupBox(this), "gbServicesID");
  lCallsID = Named(new QLabel("Calls ID:", gbServicesID), "lCallsID");
  lSMSID = Named(new QLabel("SMS ID:", gbServicesID), "lSMSID");
  lMMSID = Named(new QLabel("MMS ID:", gbServicesID), "lMMSID");
  edCallsID = Named(new QLineEdit(gbServicesID), "edCallsID");
  edSMSID = Named(new QLineEdit(gbServicesID), "edSMSID");
  edMMSID = Named(new QLineEdit(gbServicesID), "edMMSID");
  cbTypeList = Named(new QComboBox(gbServicesID), "cbTypeList");
  cbTypeList->setEditable(true);
  cbTypeList->setInsertPolicy(QComboBox::NoInsert);
  cbTypeList->addItems(typeItems);
  cbTypeList->setEditText({});
  bbtnCallIDAdd = IconButton("bbtnCallIDAdd", AddIcon(), gbServicesID);
  bbtnCallIDDel = IconButton("bbtnCallIDDel", RemoveIcon(), gbServicesID);
  bbtnSMSIDAdd = IconButton("bbtnSMSIDAdd", AddIcon(), gbServicesID);
  bbtnSMSIDDel = IconButton("bbtnSMSIDDel", RemoveIcon(), gbServicesID);
  bbtnMMSIDAdd = IconButton("bbtnMMSIDAdd", AddIcon(), gbServicesID);
  bbtnMMSIDDel = IconButton("bbtnMMSIDDel", RemoveIcon(), gbServicesID);

  auto* grid = new QGridLayout(gbServicesID);
  const struct {
    QLabel* label;
    QLineEdit* edit;
    QToolButton* add;
    QToolButton* del;
  } rows[] = {{lCallsID, edCallsID, bbtnCallIDAdd, bbtnCallIDDel},
              {lSMSID, edSMSID, bbtnSMSIDAdd, bbtnSMSIDDel},
              {lMMSID, edMMSID, bbtnMMSIDAdd, bbtnMMSIDDel}};
  int row = 0;
  for (const auto& r : rows) {
    grid->addWidget(r.label, row, 0);
    grid->addWidget(r.edit, row, 1);
    grid->addWidget(r.add, row, 2);
    grid->addWidget(r.del, row, 3);
    connect(r.add, &QToolButton::clicked, this, [this, edit = r.edit] { ChangeList(edit, true); });
    connect(r.del, &QToolButton::clicked, this, [this, edit = r.edit] { ChangeList(edit, false); });
    ++row;
  }
  grid->addWidget(cbTypeList, row, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnMinimumWidth(1, fontMetrics().averageCharWidth() * 24);
  cbTypeList->setMinimumContentsLength(12);

  LayOutGroups({gbServicesID});

  LanguageFile lang;
  if (LoadDialogLanguage(programDir, settings_->language, &lang)) {
    if (lang.HasGroup(71)) btnClose->setText(QtCaption(lang.Line(43)));
    // The title is the menu item's caption without its dots.
    if (lang.HasGroup(92)) {
      std::string title = PlainCaption(lang.Line(91));
      while (!title.empty() && (title.back() == '.' || title.back() == ' ')) title.pop_back();
      setWindowTitle(ToQt(title));
    }
    lCallsID->setText(ToQt(TextOf(lang, AddedText::CallsIdLabel)));
    lSMSID->setText(ToQt(TextOf(lang, AddedText::SmsIdLabel)));
    lMMSID->setText(ToQt(TextOf(lang, AddedText::MmsIdLabel)));
  }

  edCallsID->setText(ToQt(settings_->callsId));
  edSMSID->setText(ToQt(settings_->smsId));
  edMMSID->setText(ToQt(settings_->mmsId));
}

void TServicesIDForm::ChangeList(QLineEdit* edit, bool add) {
  const std::string list = FromQtLossy(edit->text());
  const std::string id = FromQtLossy(cbTypeList->currentText());
  edit->setText(ToQt(add ? AddIdToList(list, id) : RemoveIdFromList(list, id)));
}

bool TServicesIDForm::StoreControls() {
  std::string calls, sms, mms;
  QString error;
  if (!FromQt(edCallsID->text(), &calls, &error) || !FromQt(edSMSID->text(), &sms, &error) ||
      !FromQt(edMMSID->text(), &mms, &error)) {
    prompts_->ShowError(error);
    return false;
  }
  settings_->callsId = std::move(calls);
  settings_->smsId = std::move(sms);
  settings_->mmsId = std::move(mms);
  return true;
}
