// Settings files: TIniFile, sections of "key=value" lines in one file.
#pragma once

#include <memory>

#include "toolkit/classes.h"
#include "toolkit/property.h"
#include "toolkit/strings.h"

struct IniFileData;

// Reads come from the file as it was when the object was made, and from
// what was written since; writes reach the file by UpdateFile and when the
// object is destroyed. A file that does not exist reads as empty. A file
// that cannot be read as an INI file is Damaged: everything in it is
// ignored (reads give their defaults) and it is moved aside to the same
// name with ".damaged" added, so that writing starts a new file without
// losing the old one. A pipe or a device at its name is Damaged too, and
// moved aside before anything reads it, so that nothing waits on it; when
// it cannot be moved, the settings live in memory only. The folder of the
// file is made when needed.
// Integers are decimal text; booleans are written as 1 or 0 and read as
// integers (anything but 0 is true), as the classic INI functions do.
class TIniFile : public TObject {
 public:
  explicit TIniFile(const String& FileName);
  ~TIniFile() override;

  ReadOnlyProperty<String> FileName;
  ReadOnlyProperty<bool> Damaged;

  String ReadString(const String& Section, const String& Ident, const String& Default);
  void WriteString(const String& Section, const String& Ident, const String& Value);
  int ReadInteger(const String& Section, const String& Ident, int Default);
  void WriteInteger(const String& Section, const String& Ident, int Value);
  bool ReadBool(const String& Section, const String& Ident, bool Default);
  void WriteBool(const String& Section, const String& Ident, bool Value);
  bool SectionExists(const String& Section);
  bool ValueExists(const String& Section, const String& Ident);
  void EraseSection(const String& Section);
  void DeleteKey(const String& Section, const String& Ident);
  // Writes the file now; false when it could not be written.
  bool UpdateFile();

 private:
  std::unique_ptr<IniFileData> data_;
};

// The folder where the user's settings files live: $XDG_CONFIG_HOME, else
// .config in the home folder.
String UserConfigFolder();
