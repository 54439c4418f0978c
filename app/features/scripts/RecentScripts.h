// The scripts opened or saved last, newest first, remembered in the
// settings file's "Scripts" section (Recent1 to Recent8).
#pragma once

#include <vector>

#include <toolkit/toolkit.h>

class RecentScripts {
 public:
  static constexpr size_t kKept = 8;
  static constexpr const char* kSection = "Scripts";

  const std::vector<String>& Names() const { return names_; }
  // The name goes first (once).
  void Add(const String& FileName);
  void Remove(const String& FileName);

  void Load(TIniFile& Ini);
  void Save(TIniFile& Ini) const;

 private:
  std::vector<String> names_;
};
