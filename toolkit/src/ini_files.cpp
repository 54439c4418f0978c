// TIniFile on QSettings in INI format.
#include "toolkit/ini_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "qt_text.h"

struct IniFileData {
  // The settings of the named file; or, with `apart`, of a file in a private
  // temporary folder that goes with the object, for a name that must not be
  // opened at all.
  IniFileData(const QString& fileName, bool apart)
      : name(fileName),
        keptApart(apart ? std::make_unique<QTemporaryDir>() : nullptr),
        settings(apart ? keptApart->filePath(QStringLiteral("settings.ini")) : fileName, QSettings::IniFormat) {}
  QString name;
  std::unique_ptr<QTemporaryDir> keptApart;
  QSettings settings;  // reads its file when made
  bool damaged = false;
};

namespace {

QString Key(const String& Section, const String& Ident) { return ToQString(Section) + u'/' + ToQString(Ident); }

bool IsFileOrNothing(const QString& name) {
  const QFileInfo info(name);
  return !info.exists() || info.isFile();
}

// Whether Qt may be given the name: nothing, a regular file (a link to one
// is fine) or a folder, which it fails to read and write. A pipe there
// would make the read wait for ever, and a device would be opened.
bool QtMayOpen(const QString& name) { return IsFileOrNothing(name) || QFileInfo(name).isDir(); }

bool MoveAside(const QString& name) {
  const QString aside = name + QStringLiteral(".damaged");
  QFile::remove(aside);
  return QFile::rename(name, aside);
}

// The settings of the file, with a pipe or device at its name moved aside
// before Qt reads anything. Qt also reads its lock beside the file, and
// waits for ever on one it cannot remove: one that is no file is removed.
// When either cannot be cleared, the file is never touched and the
// settings are kept apart.
std::unique_ptr<IniFileData> OpenSettings(const QString& name) {
  const QString lock = name + QStringLiteral(".lock");
  if (!IsFileOrNothing(lock) && !QFile::remove(lock)) QDir().rmdir(lock);
  const bool foreign = !QtMayOpen(name);
  const bool usable = (!foreign || MoveAside(name)) && IsFileOrNothing(lock);
  auto data = std::make_unique<IniFileData>(name, !usable);
  data->damaged = foreign;
  return data;
}

}  // namespace

TIniFile::TIniFile(const String& FileName)
    : FileName([this] { return FromQString(data_->name); }),
      Damaged([this] { return data_->damaged; }),
      data_(OpenSettings(ToQString(FileName))) {
  // QSettings keeps what it could make of a damaged file; half a file is
  // worse than none, so all of it is ignored. It is kept beside, under
  // another name, rather than overwritten by the next UpdateFile.
  const QString name = data_->name;
  const QSettings::Status status = data_->settings.status();
  if (data_->damaged || status == QSettings::NoError || !QFileInfo::exists(name)) return;
  data_->damaged = true;
  if (status == QSettings::FormatError && MoveAside(name)) {
    data_ = std::make_unique<IniFileData>(name, false);
    data_->damaged = true;
    return;
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
