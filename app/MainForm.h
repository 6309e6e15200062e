// The main window of the program.
#pragma once

#include <QMainWindow>

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* parent = nullptr);
};
