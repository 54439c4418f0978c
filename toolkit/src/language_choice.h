// Which language the desktop asks for, read from the environment as GNU
// gettext reads it.
#pragma once

#include <functional>
#include <string>

// The language of the first entry that has a catalog, or kSourceLanguage:
// the locale is LC_ALL, else LC_MESSAGES, else LANG (the first that is set
// and not empty); a "C" or "POSIX" locale (or none) takes the source
// language and ignores LANGUAGE; otherwise LANGUAGE, when set, lists the
// languages to try in order (separated by ':'), else the locale is the one
// entry. An entry "ll_CC.codeset@modifier" tries "ll_CC", then "ll"; Chinese
// ("zh" in any country) is the source language. An entry with no catalog
// is passed over; when none has one, the source language is taken.
// Env gives a variable's value, null when unset.
std::string ChooseLanguage(const std::function<const char*(const char*)>& Env,
                           const std::function<bool(const std::string&)>& HasCatalog);
