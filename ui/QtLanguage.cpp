// One translator for the whole process, as the application has one language
// at a time; it is swapped when the language changes and belongs to the
// application object, so it goes with it.
#include "ui/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include "config/LanguageFile.h"
#include "ui/QtText.h"

namespace zvonar {
namespace {

QPointer<QTranslator>& InstalledTranslator() {
  static QPointer<QTranslator> translator;
  return translator;
}

LanguageFile& UsedLanguage() {
  static LanguageFile lang;
  return lang;
}

// The lines the main window's first group needs; the title line is one of
// them.
constexpr std::size_t kTitleGroupLines = 16;
constexpr std::size_t kTitleLine = 2;

}  // namespace

void UseLanguageTexts(LanguageFile lang) { UsedLanguage() = std::move(lang); }

const LanguageFile& LanguageTexts() { return UsedLanguage(); }

QString LanguageText(AddedText t) { return ToQt(TextOf(UsedLanguage(), t)); }

QString ProgramTitle() {
  const LanguageFile& lang = UsedLanguage();
  if (!lang.HasGroup(kTitleGroupLines) || lang.Line(kTitleLine).empty()) return "Tellura Detalization";
  return QtPlain(lang.Line(kTitleLine));
}

QString FileTypeFilter(AddedText typeName, const QString& patterns) {
  return QString("%1 (%2)").arg(LanguageText(typeName), patterns);
}

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
