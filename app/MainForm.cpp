// The main window: for now an empty frame with the program's caption.
#include "app/MainForm.h"

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  setObjectName("MainForm");
  setWindowTitle("Tellura Detalization");
  resize(800, 510);
  setMinimumHeight(510);
}
