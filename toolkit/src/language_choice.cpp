#include "language_choice.h"

#include <vector>

#include "toolkit/translation.h"

namespace {

std::string Variable(const std::function<const char*(const char*)>& Env, const char* name) {
  const char* value = Env(name);
  return value ? std::string(value) : std::string();
}

bool IsPlainC(const std::string& locale) {
  return locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(':', start), list.size());
    if (end > start) entries.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

// "ll_CC.codeset@modifier" -> "ll_CC", then "ll".
std::vector<std::string> Candidates(const std::string& entry) {
  const std::string name = entry.substr(0, entry.find_first_of(".@"));
  std::vector<std::string> candidates;
  if (name.empty()) return candidates;
  candidates.push_back(name);
  const size_t country = name.find('_');
  if (country != std::string::npos && country > 0) candidates.push_back(name.substr(0, country));
  return candidates;
}

}  // namespace

std::string ChooseLanguage(const std::function<const char*(const char*)>& Env,
                           const std::function<bool(const std::string&)>& HasCatalog) {
  std::string locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = Variable(Env, name);
    if (!locale.empty()) break;
  }
  if (IsPlainC(locale)) return kSourceLanguage;
  const std::string languages = Variable(Env, "LANGUAGE");
  for (const std::string& entry : languages.empty() ? std::vector<std::string>{locale} : Split(languages))
    for (const std::string& candidate : Candidates(entry)) {
      if (candidate == "zh" || candidate.starts_with("zh_")) return kSourceLanguage;
      if (HasCatalog(candidate)) return candidate;
    }
  return kSourceLanguage;
}
