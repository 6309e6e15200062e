// Program entry of the window program: the data directory is found (and
// seeded with the shipped language files), the start-up splash is shown
// while the main window is created, then the message loop runs. SIGTERM and
// SIGINT close the main window the normal way, so the settings are saved.
#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <csignal>
#include <iostream>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

#include "base/DataDir.h"
#include "base/Version.h"
#include "app/MainForm.h"
#include "config/LanguageFile.h"
#include "config/MainSettings.h"
#include "config/ShippedFiles.h"
#include "import/TextUtils.h"
#include "ui/Logo.h"
#include "ui/Prompts.h"
#include "ui/QtLanguage.h"
#include "ui/SplashForm.h"

namespace {

int gSignalPipe[2] = {-1, -1};

void OnTerminate(int) {
  const char byte = 1;
  (void)!::write(gSignalPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char* argv[]) {
  // Answered before Qt starts, so they need no display and leave the data
  // directory alone.
  const std::string_view option = argc == 2 ? argv[1] : "";
  if (option == "--version" || option == "--help") {
    std::cout << (option == "--version" ? zvonar::VersionLine()
                                        : "Usage: zvonar [--help | --version]\n"
                                          "The window program of Zvonar; zvonar-cli does its work from a shell.")
              << '\n';
    return 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tellura Detalization");
  // Lets the desktop match the window to the installed entry and its icon.
  QGuiApplication::setDesktopFileName("zvonar");
  QApplication::setWindowIcon(QIcon(zvonar::ZvonarLogo(64)));
  zvonar::QtPrompts prompts(nullptr);

  std::string dataDir;
  zvonar::Status s = zvonar::FindDataDir(&dataDir);
  if (s.ok()) s = zvonar::SeedDataDir(dataDir);
  if (!s.ok()) {
    prompts.ShowError(QString::fromStdString(s.message()));
    if (dataDir.empty()) return 1;
  }

  // The start-up splash already speaks the language the settings name; the
  // main window applies it again as it starts.
  {
    zvonar::MainSettings settings;
    zvonar::LanguageFile lang;
    if (zvonar::LoadMainSettings(zvonar::JoinPath(dataDir, "settings.ini"), &settings).ok() &&
        !settings.language.empty() &&
        zvonar::LanguageFile::Load(zvonar::LanguageFilePath(dataDir, settings.language), &lang).ok())
      zvonar::UseLanguageTexts(std::move(lang));
  }

  std::unique_ptr<TMainForm> form;
  {
    zvonar::SplashScope splash(true);
    form = std::make_unique<TMainForm>(dataDir, &prompts);
  }
  if (form->DataDirInUse()) return 1;  // another window has the directory

  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) == 0) {
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, form.get(), [&form] {
      char byte = 0;
      (void)!::read(gSignalPipe[0], &byte, 1);
      form->close();
    });
    std::signal(SIGTERM, OnTerminate);
    std::signal(SIGINT, OnTerminate);
  }
  form->show();
  const int code = QApplication::exec();
  form.reset();
  return code;
}
