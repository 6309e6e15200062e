// Program entry of the window program.
#include <QApplication>

#include "app/MainForm.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tellura Detalization");
  TMainForm form;
  form.show();
  return QApplication::exec();
}
