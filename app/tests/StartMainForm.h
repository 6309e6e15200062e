// Starting the main window in window tests.
#pragma once

#include <QtTest>
#include <memory>

#include "app/MainForm.h"
#include "base/tests/TestSupport.h"
#include "ui/tests/ScriptedPrompts.h"

namespace zvonar::testing {

// Starts the window over `dir` and shows it, so that its first activation
// opens the table; the caller closes it to run the exit writes.
inline std::unique_ptr<TMainForm> StartMainForm(const TempDir& dir, ScriptedPrompts* prompts) {
  auto form = std::make_unique<TMainForm>(dir.path(), prompts);
  form->show();
  if (!QTest::qWaitForWindowExposed(form.get())) qWarning("the window was not exposed");
  return form;
}

}  // namespace zvonar::testing
