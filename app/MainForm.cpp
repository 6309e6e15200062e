// Construction of the main window: the controls under their names, the
// layout (the control panel on the right; grid, result list, status panel
// and counts row on the left) and the menus with their captions, shortcuts
// and separators.
#include "app/MainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/ListModels.h"
#include "ui/Logo.h"
#include "ui/TableGridModel.h"

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QCheckBox* CheckBox(const char* name, const QString& caption, QWidget* parent) {
  return Named(new QCheckBox(caption, parent), name);
}

// An editable combo box as wide as `characters` characters of its font,
// whatever its items, so that a long item does not widen the panel.
QComboBox* ComboBox(const char* name, QWidget* parent, int characters) {
  auto* box = Named(new QComboBox(parent), name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(characters);
  return box;
}

QTreeView* ReportList(const char* name, QAbstractItemModel* model, QWidget* parent) {
  auto* view = Named(new QTreeView(parent), name);
  view->setModel(model);
  view->setRootIsDecorated(false);
  view->setUniformRowHeights(true);
  view->setItemsExpandable(false);
  view->setAllColumnsShowFocus(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Grid lines between the cells. A style sheet that styles the items also
  // decides the selected item's colours, so they are named here.
  view->setStyleSheet(
      "QTreeView::item { border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0; }"
      "QTreeView::item:selected { background: palette(highlight); color: palette(highlighted-text); }");
  view->header()->setStretchLastSection(false);
  return view;
}

QAction* Item(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {}) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  return action;
}

const QStringList kFilterCaptions = {"Owner", "Date / Time", "Number", "Abonent", "Code", "Type",
                                     "Sec",   "Min",         "Cost",   "MTP",     "All",  "Roaming"};

}  // namespace

void TMainForm::CreateControlPanel() {
  gbControl = Named(new QGroupBox(" Control ", this), "gbControl");
  // As wide as its widest row needs in the captions of the language in use,
  // and no narrower than its designed width (set with the fonts).
  gbControl->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  auto* panel = new QVBoxLayout(gbControl);
  panel->setContentsMargins(4, 4, 4, 4);
  panel->setSpacing(3);

  gbFilterOwner = Named(new QGroupBox(" Filter Owner ", gbControl), "gbFilterOwner");
  btnSortFilterOwner = Named(new QPushButton("sorting", gbFilterOwner), "btnSortFilterOwner");
  edFilterOwner = ComboBox("edFilterOwner", gbFilterOwner, 12);
  auto* ownerRow = new QHBoxLayout(gbFilterOwner);
  ownerRow->setContentsMargins(4, 2, 4, 4);
  ownerRow->addWidget(btnSortFilterOwner);
  ownerRow->addWidget(edFilterOwner, 1);
  panel->addWidget(gbFilterOwner);

  gbFilterDate = Named(new QGroupBox(" Filter Date ", gbControl), "gbFilterDate");
  lDateBegin = Named(new QLabel("From:", gbFilterDate), "lDateBegin");
  lDateEnd = Named(new QLabel("To:", gbFilterDate), "lDateEnd");
  dtpDateBegin = Named(new QDateEdit(gbFilterDate), "dtpDateBegin");
  dtpDateEnd = Named(new QDateEdit(gbFilterDate), "dtpDateEnd");
  auto* dates = new QGridLayout(gbFilterDate);
  dates->setContentsMargins(4, 2, 4, 4);
  for (QDateEdit* picker : {dtpDateBegin, dtpDateEnd}) {
    picker->setCalendarPopup(true);
    picker->setDisplayFormat("d MMMM yyyy");
  }
  dates->addWidget(lDateBegin, 0, 0);
  dates->addWidget(dtpDateBegin, 0, 1);
  dates->addWidget(lDateEnd, 1, 0);
  dates->addWidget(dtpDateEnd, 1, 1);
  panel->addWidget(gbFilterDate);

  gbFilterNumber = Named(new QGroupBox(" Filter Number ", gbControl), "gbFilterNumber");
  cbFilterOperCode = ComboBox("cbFilterOperCode", gbFilterNumber, 4);
  cbFilterNumber = ComboBox("cbFilterNumber", gbFilterNumber, 12);
  auto* numberRow = new QHBoxLayout(gbFilterNumber);
  numberRow->setContentsMargins(4, 2, 4, 4);
  numberRow->addWidget(cbFilterOperCode);
  numberRow->addWidget(cbFilterNumber, 1);
  panel->addWidget(gbFilterNumber);

  gbFilterCodeType = Named(new QGroupBox(" Filter Code / Type ", gbControl), "gbFilterCodeType");
  chkbFilterCode = CheckBox("chkbFilterCode", "Code:", gbFilterCodeType);
  chkbFilterType = CheckBox("chkbFilterType", "Type:", gbFilterCodeType);
  cbFilterCode = ComboBox("cbFilterCode", gbFilterCodeType, 8);
  cbFilterType = ComboBox("cbFilterType", gbFilterCodeType, 8);
  lFilterCode = Named(new QLabel("Code:", gbFilterCodeType), "lFilterCode");
  lFilterType = Named(new QLabel("Type:", gbFilterCodeType), "lFilterType");
  lFilterCode->hide();  // the check boxes carry the captions; the labels follow their enabled state
  lFilterType->hide();
  auto* codeType = new QGridLayout(gbFilterCodeType);
  codeType->setContentsMargins(4, 2, 4, 4);
  codeType->addWidget(chkbFilterCode, 0, 0);
  codeType->addWidget(cbFilterCode, 0, 1);
  codeType->addWidget(chkbFilterType, 1, 0);
  codeType->addWidget(cbFilterType, 1, 1);
  codeType->setColumnStretch(1, 1);
  panel->addWidget(gbFilterCodeType);

  gbFilter = Named(new QGroupBox(gbControl), "gbFilter");
  chkbFilterOwner = CheckBox("chkbFilterOwner", "Owner", gbFilter);
  chkbFilterNull = CheckBox("chkbFilterNull", "Null", gbFilter);
  chkbFilterNull->setChecked(true);
  chkbFilterDate = CheckBox("chkbFilterDate", "Date", gbFilter);
  chkbFilterOperCode = CheckBox("chkbFilterOperCode", "Operator", gbFilter);
  chkbFilterCalls = CheckBox("chkbFilterCalls", "Calls", gbFilter);
  chkbFilterNumber = CheckBox("chkbFilterNumber", "Number", gbFilter);
  chkbFilterSMS = CheckBox("chkbFilterSMS", "SMS", gbFilter);
  chkbFilterMMS = CheckBox("chkbFilterMMS", "MMS", gbFilter);
  chkbFilterExclude = CheckBox("chkbFilterExclude", "Exclude", gbFilter);
  btnCheckedDataFilter = Named(new QPushButton("Filtering", gbFilter), "btnCheckedDataFilter");
  auto* checks = new QGridLayout(gbFilter);
  checks->setContentsMargins(4, 4, 4, 4);
  checks->setVerticalSpacing(1);
  checks->addWidget(chkbFilterOwner, 0, 0);
  checks->addWidget(chkbFilterNull, 0, 1);
  checks->addWidget(chkbFilterDate, 1, 0);
  checks->addWidget(chkbFilterOperCode, 1, 1);
  checks->addWidget(chkbFilterCalls, 2, 0);
  checks->addWidget(chkbFilterNumber, 2, 1);
  checks->addWidget(chkbFilterSMS, 3, 0);
  checks->addWidget(chkbFilterMMS, 3, 1);
  checks->addWidget(chkbFilterExclude, 4, 0);
  checks->addWidget(btnCheckedDataFilter, 4, 1);
  gbFilter->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  panel->addWidget(gbFilter);

  imgTelluraLogo = Named(new QLabel(gbControl), "imgTelluraLogo");
  imgTelluraLogo->setPixmap(zvonar::ZvonarLogo(40));
  imgTelluraLogo->setAlignment(Qt::AlignCenter);
  panel->addWidget(imgTelluraLogo);

  lType = Named(new QLabel(gbControl), "lType");
  lCode = Named(new QLabel(gbControl), "lCode");
  for (QLabel* label : {lType, lCode}) {
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // wraps in the panel's width
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    panel->addWidget(label);
  }

  lvStatModel = new zvonar::TextRowsModel({"Type", "Sec", "Min", "Cost"}, this);
  for (int c = 1; c < 4; ++c) lvStatModel->SetAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  lvStat = ReportList("lvStat", lvStatModel, gbControl);
  lvStat->hide();
  lvStat->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);  // the panel's width, scrolled
  panel->addWidget(lvStat, 1);
  panel->addStretch(0);
}

void TMainForm::CreateMainArea() {
  panelMain = Named(new QWidget(this), "panelMain");
  auto* left = new QVBoxLayout(panelMain);
  left->setContentsMargins(0, 0, 0, 0);
  left->setSpacing(0);

  panSplitterMiddle = Named(new QSplitter(Qt::Vertical, panelMain), "panSplitterMiddle");
  panSplitterMiddle->setHandleWidth(3);
  panSplitterMiddle->setChildrenCollapsible(false);
  dbgDetaliz = Named(new QTableView(panSplitterMiddle), "dbgDetaliz");
  gridModel_ = new zvonar::TableGridModel(this);
  dbgDetaliz->setModel(gridModel_);
  dbgDetaliz->setEditTriggers(QAbstractItemView::NoEditTriggers);
  dbgDetaliz->setSelectionBehavior(QAbstractItemView::SelectRows);
  dbgDetaliz->setSelectionMode(QAbstractItemView::SingleSelection);
  dbgDetaliz->setContextMenuPolicy(Qt::ActionsContextMenu);

  lvFilterModel = new zvonar::ResultRowsModel(kFilterCaptions, this);
  lvFilter = ReportList("lvFilter", lvFilterModel, panSplitterMiddle);
  lvFilter->setContextMenuPolicy(Qt::ActionsContextMenu);
  panSplitterMiddle->addWidget(dbgDetaliz);
  panSplitterMiddle->addWidget(lvFilter);
  // The grid keeps its height when the window is resized; the result list
  // takes the difference.
  panSplitterMiddle->setStretchFactor(0, 0);
  panSplitterMiddle->setStretchFactor(1, 1);
  left->addWidget(panSplitterMiddle, 1);

  Panel = Named(new QFrame(panelMain), "Panel");
  Panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* status = new QHBoxLayout(Panel);
  status->setContentsMargins(6, 2, 6, 2);
  stFilterRecCount = Named(new QLabel("0", Panel), "stFilterRecCount");
  auto* panelCaption = Named(new QLabel("Maximum Activity & Counts:", Panel), "PanelCaption");
  panelCaption->setTextFormat(Qt::PlainText);
  panelCaption_ = panelCaption;
  stRecCount = Named(new QLabel("0", Panel), "stRecCount");
  stRecNo = Named(new QLabel("0", Panel), "stRecNo");
  status->addWidget(stFilterRecCount);
  status->addStretch(1);
  status->addWidget(panelCaption);
  status->addStretch(1);
  status->addWidget(stRecCount);
  status->addWidget(stRecNo);
  left->addWidget(Panel);

  lvCountsModel = new zvonar::TextRowsModel(kFilterCaptions, this);
  lvCounts = ReportList("lvCounts", lvCountsModel, panelMain);
  lvCounts->setHeaderHidden(true);
  lvCounts->setFixedHeight(36);
  lvCounts->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lvCounts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The counts row scrolls with the result list above it, column under column.
  connect(lvFilter->horizontalScrollBar(), &QScrollBar::valueChanged, lvCounts->horizontalScrollBar(),
          &QScrollBar::setValue);
  connect(lvFilter->header(), &QHeaderView::sectionResized, lvCounts,
          [this](int column, int, int width) { lvCounts->setColumnWidth(column, width); });
  left->addWidget(lvCounts);

  panSplitterRight = Named(new QFrame(this), "panSplitterRight");
  panSplitterRight->setFixedWidth(3);
  panSplitterRight->setEnabled(false);

  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(0);
  row->addWidget(panelMain, 1);
  row->addWidget(panSplitterRight);
  row->addWidget(gbControl);
  setCentralWidget(central);
}

void TMainForm::CreateMenus() {
  mnFile = Named(menuBar()->addMenu("File"), "mnFile");
  mnAddDetalization = Item(mnFile, "mnAddDetalization", "Add Detalization...", Qt::Key_F3);
  mnShowMonthSummary = Item(mnFile, "mnShowMonthSummary", "Show Month Summary...", Qt::SHIFT | Qt::Key_F3);
  mnUndo = Item(mnFile, "mnUndo", "Undo");
  mnUndo->setShortcut(QKeySequence::Undo);
  mnUndo->setEnabled(false);
  mnFile->addSeparator();
  mnLoadFiltered = Item(mnFile, "mnLoadFiltered", "Load Filtered...", Qt::CTRL | Qt::Key_F3);
  mnSaveFiltered = Item(mnFile, "mnSaveFiltered", "Save Filtered...", Qt::CTRL | Qt::Key_F2);
  mnFile->addSeparator();
  mnPrintFilter = Item(mnFile, "mnPrintFilter", "Print Filtered...", Qt::CTRL | Qt::Key_P);
  mnPrintFilterStat = Item(mnFile, "mnPrintFilterStat", "Print Filtered Statistic...");
  mnFile->addSeparator();
  mnExit = Item(mnFile, "mnExit", "Exit");

  mnAbonents = Named(menuBar()->addMenu("Abonents"), "mnAbonents");
  mnAbonentsBook = Item(mnAbonents, "mnAbonentsBook", "Abonents Book...");
  mnCodesTypes = Item(mnAbonents, "mnCodesTypes", "Codes / Types Indication...");
  mnAbonents->addSeparator();
  mnAddNoNameNumbersToAbonBook = Item(mnAbonents, "mnAddNoNameNumbersToAbonBook", "Add NoName Numbers To Abonents Book");
  mnAddNoNameNumbersToAbonBookFromFilter = Item(mnAbonents, "mnAddNoNameNumbersToAbonBookFromFilter",
                                                "Add NoName Numbers To Abonents Book from Filter");
  mnAbonents->addSeparator();
  mnFillNumberAbonents = Item(mnAbonents, "mnFillNumberAbonents", "Fill Number Abonent");
  mnFillNumberAbonentsFilter = Item(mnAbonents, "mnFillNumberAbonentsFilter", "Fill Number Abonent in Filter");
  mnFillCodesTypes = Item(mnAbonents, "mnFillCodesTypes", "Fill Codes / Types");
  mnAbonents->addSeparator();
  mnReturnCodesTypes = Item(mnAbonents, "mnReturnCodesTypes", "Return Codes / Types (to Digits)");
  mnChangeCodesTypes = Item(mnAbonents, "mnChangeCodesTypes", "Change Codes / Types...");
  mnAbonents->addSeparator();
  mnToCountAndFindMaxActivity = Item(mnAbonents, "mnToCountAndFindMaxActivity", "To Count && Find Max Activity");
  mnToCountAndFindMaxActivityFilter =
      Item(mnAbonents, "mnToCountAndFindMaxActivityFilter", "To Count && Find Max Activity in Filter");
  mnCountFilterStatistic = Item(mnAbonents, "mnCountFilterStatistic", "Filter Statistic");

  mnService = Named(menuBar()->addMenu("Service"), "mnService");
  mnSettings = Item(mnService, "mnSettings", "&Settings...", Qt::CTRL | Qt::Key_S);
  mnServicesID = Item(mnService, "mnServicesID", "Services ID...");
  mnRegisterFields = Item(mnService, "mnRegisterFields", "Register Fields...");
  mnService->addSeparator();
  mnDBFields = Item(mnService, "mnDBFields", "DB Fields...");
  mnDBReCreate = Item(mnService, "mnDBReCreate", "DB Re-Create");
  mnDBReOpen = Item(mnService, "mnDBReOpen", "DB Re-Open");
  mnDBIndexReCreate = Item(mnService, "mnDBIndexReCreate", "DB-Index Re-Create");
  QAction* hiddenSeparator = mnService->addSeparator();
  mnLoadOldDetalizationBase = Item(mnService, "mnLoadOldDetalizationBase", "Load Old Detalization Base");
  for (QAction* hidden : {mnDBFields, mnDBReCreate, mnDBReOpen, mnDBIndexReCreate, hiddenSeparator})
    hidden->setVisible(false);

  mnQuestion = Named(menuBar()->addMenu("?"), "mnQuestion");
  mnSetupBDE = Item(mnQuestion, "mnSetupBDE", "Setup BDE...");
  mnAbout = Item(mnQuestion, "mnAbout", "About...");

  mnAddPhoneNumberToFilterNumber = new QAction("Add Phone Number To Filter Number", this);
  mnAddPhoneNumberToFilterNumber->setObjectName("mnAddPhoneNumberToFilterNumber");
  mnPhoneNumberToClipboard = new QAction("Phone Number To Clipboard", this);
  mnPhoneNumberToClipboard->setObjectName("mnPhoneNumberToClipboard");
  for (QWidget* view : {static_cast<QWidget*>(dbgDetaliz), static_cast<QWidget*>(lvFilter)}) {
    view->addAction(mnAddPhoneNumberToFilterNumber);
    view->addAction(mnPhoneNumberToClipboard);
  }
}
