// The chart window over the figures of the result list: cost and minutes
// per month stacked by type, the numbers that take the most minutes and
// money, and the records per hour of the day and day of the week, one tab
// each. "Save Image..." writes the shown tab as a PNG or SVG picture.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "analysis/CallFigures.h"
#include "config/AddedTexts.h"

class QLabel;
class QPushButton;
class QTabWidget;

namespace zvonar {
class Prompts;
}

class TChartsForm : public QDialog {
  Q_OBJECT

 public:
  // `language` is the base name of the language file in use (month and
  // weekday names); `text` gives the added texts in that language; the
  // save dialog opens in `dir`.
  TChartsForm(const zvonar::CallFigures& figures, const std::string& language,
              std::function<QString(zvonar::AddedText)> text, zvonar::Prompts* prompts, QString dir,
              QWidget* parent = nullptr);

  // Writes the shown tab to `path`: SVG when the name ends in ".svg", else
  // PNG, in the size the tab has on screen. False when it cannot be written.
  bool SaveImage(const QString& path) const;
  // The data directory, whose own files the save button never replaces
  // (see CheckOutputPath); the current folder until it is set.
  void SetDataDir(std::string dataDir) { dataDir_ = std::move(dataDir); }

  QTabWidget* pcCharts;
  QLabel* lSkippedCells;
  QPushButton* btnSaveImage;

  void btnSaveImageClick();

 private:
  std::function<QString(zvonar::AddedText)> text_;
  zvonar::Prompts* prompts_;
  QString dir_;
  std::string dataDir_;
};
