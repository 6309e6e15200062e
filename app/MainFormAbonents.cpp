// The Abonents menu's commands on the abonents book: the book dialog.
#include "app/MainForm.h"
#include "books/AbonentsBookForm.h"

using namespace zvonar;

void TMainForm::mnAbonentsBookClick() {
  ShowAbonentsBook(programDir_, settings_, prompts_, this);
}
