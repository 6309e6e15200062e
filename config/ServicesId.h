// Editing the service-kind lists (CallsID, SMSID, MMSID): "#"-separated
// identifiers, without a leading or trailing "#", that tell calls, SMS and
// MMS apart in the filter. The Services ID dialog adds and removes one
// identifier at a time with these two rules.
#pragma once

#include <string>
#include <string_view>

namespace zvonar {

// `list` with `id` appended after a "#". `list` unchanged when `id` is empty
// or already occurs anywhere inside it (case-insensitive substring, so "5"
// is taken as present in "51#52"); `id` alone when `list` is empty.
std::string AddIdToList(std::string_view list, std::string_view id);

// `list` without its first case-insensitive occurrence of `id`, together
// with one "#" next to it: the one after it when the match starts the list,
// else the one before it. A list without "#" that holds `id` becomes empty;
// `list` unchanged when either is empty or `id` does not occur.
std::string RemoveIdFromList(std::string_view list, std::string_view id);

}  // namespace zvonar
