// The boundary between the code page 1251 bytes of the core and Qt's
// Unicode strings. Every text that enters or leaves a widget passes here.
#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
#include <string>
#include <string_view>
#include <vector>

namespace zvonar {

QString ToQt(std::string_view cp1251);

// A language-file caption (code page 1251, toolkit form) for a widget that
// reads mnemonics: menus, buttons, check boxes, radio buttons, group boxes,
// tabs. An "&" that marks no mnemonic is shown as the character.
QString QtCaption(std::string_view caption);

// A language-file caption as plain text, for window titles, labels without
// a buddy, column titles and messages.
QString QtPlain(std::string_view caption);

// The code page 1251 bytes of `text`. False, with a message for the user in
// `error` (in the language used), when it holds a character the code page
// cannot hold.
bool FromQt(const QString& text, std::string* cp1251, QString* error = nullptr);

// The code page 1251 bytes of a text known to be representable (captions the
// program itself put in a widget); other characters are dropped.
std::string FromQtLossy(const QString& text);

// The items of a combo box as code page 1251 texts.
std::vector<std::string> ComboItems(const QComboBox* box);

// Replaces the items of an editable combo box without touching its text and
// without change notifications, as a program's own refill of a list should.
void SetComboItemsKeepText(QComboBox* box, const QStringList& items);

}  // namespace zvonar
