// The abonent name of a phone number, looked up in the abonents book under
// the number's usual spellings: as given, with the town code in front of a
// local number, and with "7", "+7" or "8" before the 10-digit form.
#pragma once

#include <string>
#include <string_view>

#include "import/NameValueList.h"

namespace zvonar {

// The name `book` gives `number`, or empty. Empty numbers and the "S..."
// pseudo-numbers of service lines have no name. With `mode` 1 (the setting
// modePhoneCode) a number not found as given is tried again: a local number of
// 5 to 8 digits gets `townCode` in front, and the last 10 characters of a
// number at least 10 long are looked up bare, then after "7", "+7" and "8".
// Any other `mode` finds only the number as given.
std::string FindAbonentName(std::string_view number, std::string_view townCode, int mode, const NameValueList& book);

}  // namespace zvonar
