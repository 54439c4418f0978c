// Settings files: written and read back, absent and damaged files.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>

#include "../support/unopened_fifo.h"
#include "toolkit/ini_files.h"

namespace {

class IniFileTest : public testing::Test {
 protected:
  String PathOf(const char* name) { return String(folder.filePath(name).toStdString()); }
  void WriteRaw(const String& path, const QByteArray& bytes) {
    QFile file(QString::fromUtf8(path.c_str()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray ReadRaw(const String& path) {
    QFile file(QString::fromUtf8(path.c_str()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir folder;
};

TEST_F(IniFileTest, ValuesWrittenAreReadBackByTheNextObjectWithSectionsKeptApart) {
  const String path = PathOf("sub/folder/kestrix.ini");  // folders made on writing
  {
    TIniFile ini(path);
    EXPECT_FALSE(ini.Damaged);
    EXPECT_EQ(ini.ReadString("Device1", "Port", "COM1"), String("COM1"));
    ini.WriteString("Device1", "Port", "COM7");
    ini.WriteString("Device2", "Port", "COM8");
    ini.WriteString("Device1", "Parity", "M (标记)");
    ini.WriteString("Device1", "Text", "a,b = [c] ; #d");
    ini.WriteInteger("Device1", "Period", -42);
    ini.WriteBool("Device1", "Hex", true);
    ini.WriteBool("Device2", "Hex", false);
    EXPECT_EQ(ini.ReadString("Device1", "Port", ""), String("COM7")) << "reads see writes at once";
  }
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Device1", "Port", ""), String("COM7"));
  EXPECT_EQ(ini.ReadString("Device2", "Port", ""), String("COM8"));
  EXPECT_EQ(ini.ReadString("Device1", "Parity", ""), String("M (标记)"));
  EXPECT_EQ(ini.ReadString("Device1", "Text", ""), String("a,b = [c] ; #d"));
  EXPECT_EQ(ini.ReadInteger("Device1", "Period", 10), -42);
  EXPECT_TRUE(ini.ReadBool("Device1", "Hex", false));
  EXPECT_FALSE(ini.ReadBool("Device2", "Hex", true));
  EXPECT_TRUE(ini.SectionExists("Device2"));
  EXPECT_FALSE(ini.SectionExists("Device3"));
  EXPECT_TRUE(ini.ValueExists("Device1", "Hex"));

  ini.DeleteKey("Device1", "Hex");
  EXPECT_FALSE(ini.ValueExists("Device1", "Hex"));
  ini.EraseSection("Device2");
  EXPECT_FALSE(ini.SectionExists("Device2"));
  EXPECT_TRUE(ini.UpdateFile());
}

TEST_F(IniFileTest, ValuesThatAreNotWhatIsAskedGiveTheDefault) {
  const String path = PathOf("kestrix.ini");
  WriteRaw(path, "[Device1]\nPeriod=ten\nBig=99999999999\nHex=yes\nOn=2\nList=9600, 8\n");
  TIniFile ini(path);
  EXPECT_FALSE(ini.Damaged);
  EXPECT_EQ(ini.ReadInteger("Device1", "Period", 10), 10);
  EXPECT_EQ(ini.ReadInteger("Device1", "Big", 7), 7);
  EXPECT_EQ(ini.ReadInteger("Device1", "Missing", 3), 3);
  EXPECT_TRUE(ini.ReadBool("Device1", "Hex", true));
  EXPECT_FALSE(ini.ReadBool("Device1", "Hex", false));
  EXPECT_TRUE(ini.ReadBool("Device1", "On", false));
  // Text with a comma, unquoted as an editor leaves it, stays text.
  EXPECT_EQ(ini.ReadString("Device1", "List", ""), String("9600,8"));
}

TEST_F(IniFileTest, ADamagedFileIsIgnoredWholeAndKeptAsideWhileANewOneIsWritten) {
  const String path = PathOf("kestrix.ini");
  const QByteArray damaged = "[Device1]\nPort=COM9\nthis line is no setting\n[Device2\n";
  WriteRaw(path, damaged);
  {
    TIniFile ini(path);
    EXPECT_TRUE(ini.Damaged);
    EXPECT_EQ(ini.ReadString("Device1", "Port", "COM1"), String("COM1")) << "nothing of it is used";
    ini.WriteString("Device1", "Port", "COM2");
  }
  EXPECT_EQ(ReadRaw(String(path.Utf8() + ".damaged")), damaged);
  TIniFile again(path);
  EXPECT_FALSE(again.Damaged);
  EXPECT_EQ(again.ReadString("Device1", "Port", ""), String("COM2"));
}

TEST_F(IniFileTest, AFileThatCannotBeReadOrWrittenGivesDefaultsAndAFalseUpdate) {
  // A folder where the file should be: neither readable nor writable as a
  // file, and not to be moved aside.
  const String path = PathOf("kestrix.ini");
  ASSERT_TRUE(QDir(folder.path()).mkdir("kestrix.ini"));
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Device1", "Port", "COM1"), String("COM1"));
  ini.WriteString("Device1", "Port", "COM2");
  EXPECT_FALSE(ini.UpdateFile());
  EXPECT_TRUE(QDir(folder.filePath("kestrix.ini")).exists());
}

// A FIFO nobody writes at the file's name or at the name of the lock kept
// beside it while writing: neither is waited on; the file's FIFO is moved
// aside as a damaged file is, the lock's removed, and the settings are
// written as usual.
TEST_F(IniFileTest, AFifoForTheFileOrItsLockIsNeverWaitedOn) {
  const String path = PathOf("kestrix.ini");
  for (const std::string& name : {path.Utf8(), path.Utf8() + ".lock"}) {
    SCOPED_TRACE(name);
    QFile::remove(QString::fromStdString(path.Utf8()));
    UnopenedFifo fifo(name);
    ASSERT_TRUE(fifo.Made());
    const bool isFile = name == path.Utf8();
    EXPECT_TRUE(fifo.ReturnsWithin([&] {
      TIniFile ini(path);
      EXPECT_EQ(ini.Damaged.Get(), isFile);
      EXPECT_EQ(ini.ReadString("Device1", "Port", "COM1"), String("COM1"));
      ini.WriteString("Device1", "Port", "COM2");
      EXPECT_TRUE(ini.UpdateFile());
    })) << "waited on the FIFO";
    EXPECT_EQ(TIniFile(path).ReadString("Device1", "Port", ""), String("COM2"));
    EXPECT_EQ(QFileInfo(QString::fromStdString(name + ".damaged")).exists(), isFile);
  }
}

TEST_F(IniFileTest, TheUserConfigFolderFollowsXdgConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string before = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", folder.path().toUtf8().constData(), 1);
  EXPECT_EQ(UserConfigFolder(), String(folder.path().toStdString()));
  if (saved)
    setenv("XDG_CONFIG_HOME", before.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
