// One translator for the whole process, as the application has one language
// at a time; it is swapped when the language changes and belongs to the
// application object, so it goes with it.
#include "ui/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include "config/LanguageFile.h"

namespace zvonar {
namespace {

QPointer<QTranslator>& InstalledTranslator() {
  static QPointer<QTranslator> translator;
  return translator;
}

}  // namespace

QLocale LocaleOfLanguage(std::string_view languageBaseName) {
  return QLocale(QString::fromStdString(LanguageLocaleName(languageBaseName)));
}

bool UseQtLanguage(const QLocale& locale) {
  QLocale::setDefault(locale);
  QPointer<QTranslator>& installed = InstalledTranslator();
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  if (locale.language() == QLocale::English || QCoreApplication::instance() == nullptr) return false;
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  installed = translator;
  return true;
}

}  // namespace zvonar
