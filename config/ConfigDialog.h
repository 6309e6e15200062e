// What the configuration dialogs share: a fixed-size modal dialog whose only
// way out is its Close button, which stores the controls into the settings.
// Escape and the window manager's close button do what Close does. Each
// dialog reads the language file named by the Language setting when it is
// created; the add and remove buttons take their icons from the desktop
// theme, with drawn ones where the theme has none.
#pragma once

#include <QDialog>
#include <QIcon>
#include <initializer_list>
#include <string>

#include "config/LanguageFile.h"

class QPushButton;
class QSpinBox;

namespace zvonar {
class Prompts;
struct SpinLimits;
}  // namespace zvonar

class TConfigDialog : public QDialog {
  Q_OBJECT

 public:
  QPushButton* btnClose;

  // Stores the controls and closes; a control the settings cannot keep is
  // told to the user and the dialog stays open.
  void btnCloseClick();

 protected:
  TConfigDialog(const char* name, const QString& caption, zvonar::Prompts* prompts, QWidget* parent);

  // The dialog's groups top to bottom, Close at the bottom right; the
  // dialog takes the size its contents need.
  void LayOutGroups(std::initializer_list<QWidget*> groups);

  // The controls into their settings; false after telling the user why not.
  virtual bool StoreControls() = 0;
  void reject() override;

  // The language file `languageBaseName` in `programDir`; false, with an
  // empty file, when there is none (the designed texts stay).
  static bool LoadDialogLanguage(const std::string& programDir, const std::string& languageBaseName,
                                 zvonar::LanguageFile* lang);

  zvonar::Prompts* prompts_;
};

namespace zvonar {

// Icons of the add and remove buttons.
QIcon AddIcon();
QIcon RemoveIcon();

// A spin edit limited to `limits`.
QSpinBox* LimitedSpinBox(const char* name, const SpinLimits& limits, QWidget* parent);

// `widget` with its object name set.
template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

}  // namespace zvonar
