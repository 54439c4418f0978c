// TIniFile on QSettings in INI format.
#include "toolkit/ini_files.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "qt_text.h"

struct IniFileData {
  explicit IniFileData(const QString& fileName) : settings(fileName, QSettings::IniFormat) {}
  QSettings settings;
  bool damaged = false;
};

namespace {

QString Key(const String& Section, const String& Ident) { return ToQString(Section) + u'/' + ToQString(Ident); }

}  // namespace

TIniFile::TIniFile(const String& FileName)
    : FileName([this] { return FromQString(data_->settings.fileName()); }),
      Damaged([this] { return data_->damaged; }),
      data_(std::make_unique<IniFileData>(ToQString(FileName))) {
  // QSettings keeps what it could make of a damaged file; half a file is
  // worse than none, so all of it is ignored. It is kept beside, under
  // another name, rather than overwritten by the next UpdateFile.
  const QString name = ToQString(FileName);
  const QSettings::Status status = data_->settings.status();
  if (status == QSettings::NoError || !QFileInfo::exists(name)) return;
  data_->damaged = true;
  if (status == QSettings::FormatError) {
    const QString aside = name + ".damaged";
    QFile::remove(aside);
    if (QFile::rename(name, aside)) {
      data_ = std::make_unique<IniFileData>(name);
      data_->damaged = true;
      return;
    }
  }
  // Not readable at all, or cannot be moved aside: ignore it in memory.
  data_->settings.clear();
}

TIniFile::~TIniFile() { UpdateFile(); }

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
  const QVariant value = data_->settings.value(Key(Section, Ident));
  if (!value.isValid()) return Default;
  // An unquoted value with commas, as an editor may leave it, reads as a
  // list: the text is what stood in the file.
  if (value.typeId() == QMetaType::QStringList) return FromQString(value.toStringList().join(u','));
  return FromQString(value.toString());
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  data_->settings.setValue(Key(Section, Ident), ToQString(Value));
}

int TIniFile::ReadInteger(const String& Section, const String& Ident, int Default) {
  return ReadString(Section, Ident, String()).Trim().ToIntDef(Default);
}

void TIniFile::WriteInteger(const String& Section, const String& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TIniFile::ReadBool(const String& Section, const String& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const String& Section, const String& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

bool TIniFile::SectionExists(const String& Section) {
  return data_->settings.childGroups().contains(ToQString(Section));
}

bool TIniFile::ValueExists(const String& Section, const String& Ident) {
  return data_->settings.contains(Key(Section, Ident));
}

void TIniFile::EraseSection(const String& Section) { data_->settings.remove(ToQString(Section)); }

void TIniFile::DeleteKey(const String& Section, const String& Ident) { data_->settings.remove(Key(Section, Ident)); }

bool TIniFile::UpdateFile() {
  data_->settings.sync();
  return data_->settings.status() != QSettings::AccessError;
}

String UserConfigFolder() {
  return FromQString(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}
