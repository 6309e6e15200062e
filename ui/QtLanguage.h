// Qt's own texts and formats in the language the program uses: the buttons
// of message boxes, the file dialog, the context menus of edits, and the
// month names of date pickers. Qt's translations come from its translations
// directory (qtbase_<language>.qm); English needs none. Also the language
// file itself, for the windows that do not read one: message boxes, the
// splash and the About box.
#pragma once

#include <QLocale>
#include <QString>
#include <string_view>

#include "config/AddedTexts.h"
#include "config/LanguageFile.h"

namespace zvonar {

// Makes `lang` the language of the message boxes, the splash and the About
// box; the main window calls it whenever it applies a language file.
void UseLanguageTexts(LanguageFile lang);

// The language file last given to UseLanguageTexts; empty before.
const LanguageFile& LanguageTexts();

// An added text in the language used, English when the file lacks it.
QString LanguageText(AddedText t);

// The program's one name, for the main window's title, the message boxes'
// titles and the splash: the language file's title line (line 2) when the
// file holds the main window's first group, else "Tellura Detalization".
QString ProgramTitle();

// A name filter of the file choosers: the type's name in the language used,
// then `patterns` in brackets ("Text File (*.txt)").
QString FileTypeFilter(AddedText typeName, const QString& patterns);

// The locale of a language file's base name (the Language setting).
QLocale LocaleOfLanguage(std::string_view languageBaseName);

// Makes `locale` the default of widgets created from now on and installs
// Qt's translations for its language, replacing those installed before.
// True when a translation was installed; false for English and when Qt's
// translations for the language are not installed on the system.
bool UseQtLanguage(const QLocale& locale);

}  // namespace zvonar
