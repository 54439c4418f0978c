#include "SavedFiles.h"

#include <vector>

#include "FileErrorText.h"

namespace {

// How long a writer may write nothing at the end before it is taken to be
// stuck: the time the log's writer gets.
constexpr DWORD kWriterStallMs = 500;

struct Retired {
  std::unique_ptr<FileAppender> Writer;
  String FileName;
  bool TellFailure;
};

// Writers given their last bytes, until they have written them.
std::vector<Retired>& RetiredWriters() {
  static std::vector<Retired> writers;
  return writers;
}

// Why a writer stopped: its write's error, or the disk not keeping up.
DWORD FailureOf(const FileAppender& Writer) { return Writer.Overflowed() ? ERROR_NOT_ENOUGH_QUOTA : Writer.Error(); }

}  // namespace

void TellCannotSave(const String& FileName, DWORD dwError) {
  ShowMessage(Fill(Tr("FileError", "不能保存到 %1\n%2"), {FileName, FileErrorText(dwError)}));
}

DWORD SaveWholeFile(const String& FileName, std::string Bytes) {
  // The bytes are in memory already: the writer need not stop them.
  auto writer = std::make_unique<FileAppender>(Bytes.size() + 1);
  // File names reach the file calls as the file system spells them.
  const DWORD dwError = writer->Start(FileName.c_str());
  if (dwError != ERROR_SUCCESS) return dwError;
  writer->Append(std::move(Bytes));
  writer->Finish();
  RetireFileWriter(std::move(writer), FileName, true);
  return ERROR_SUCCESS;
}

void RetireFileWriter(std::unique_ptr<FileAppender> Writer, const String& FileName, bool TellFailure) {
  RetiredWriters().push_back(Retired{std::move(Writer), FileName, TellFailure});
}

void CollectSavedFiles() {
  std::vector<Retired>& writers = RetiredWriters();
  std::vector<Retired> failed;
  std::erase_if(writers, [&](Retired& retired) {
    if (!retired.Writer->Ended()) return false;
    if (retired.TellFailure && (retired.Writer->Error() != ERROR_SUCCESS || retired.Writer->Overflowed()))
      failed.push_back(std::move(retired));
    return true;
  });
  // Told after the list is settled: a message box runs the window's loop.
  for (const Retired& retired : failed) TellCannotSave(retired.FileName, FailureOf(*retired.Writer));
}

void EndSavedFiles() {
  for (Retired& retired : RetiredWriters())
    if (!retired.Writer->EndWhileWriting(kWriterStallMs)) static_cast<void>(retired.Writer.release());
  RetiredWriters().clear();
}
