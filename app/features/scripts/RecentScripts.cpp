#include "RecentScripts.h"

#include <algorithm>

void RecentScripts::Add(const String& FileName) {
  Remove(FileName);
  names_.insert(names_.begin(), FileName);
  if (names_.size() > kKept) names_.resize(kKept);
}

void RecentScripts::Remove(const String& FileName) {
  std::erase_if(names_, [&](const String& name) { return name.Utf8() == FileName.Utf8(); });
}

void RecentScripts::Load(TIniFile& Ini) {
  names_.clear();
  for (size_t n = 1; n <= kKept; ++n) {
    const String name = Ini.ReadString(kSection, "Recent" + IntToStr(static_cast<int>(n)), "");
    if (!name.IsEmpty() &&
        std::none_of(names_.begin(), names_.end(), [&](const String& kept) { return kept.Utf8() == name.Utf8(); }))
      names_.push_back(name);
  }
}

void RecentScripts::Save(TIniFile& Ini) const {
  for (size_t n = 1; n <= kKept; ++n)
    Ini.WriteString(kSection, "Recent" + IntToStr(static_cast<int>(n)), n <= names_.size() ? names_[n - 1] : String());
}
