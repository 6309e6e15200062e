// Qt's own texts and formats in the language the program uses: the buttons
// of message boxes, the file dialog, the context menus of edits, and the
// month names of date pickers. Qt's translations come from its translations
// directory (qtbase_<language>.qm); English needs none.
#pragma once

#include <QLocale>
#include <string_view>

namespace zvonar {

// The locale of a language file's base name (the Language setting).
QLocale LocaleOfLanguage(std::string_view languageBaseName);

// Makes `locale` the default of widgets created from now on and installs
// Qt's translations for its language, replacing those installed before.
// True when a translation was installed; false for English and when Qt's
// translations for the language are not installed on the system.
bool UseQtLanguage(const QLocale& locale);

}  // namespace zvonar
