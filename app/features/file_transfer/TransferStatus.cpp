// How a panel's file transfer shows: its end told in the receive area, its
// progress after the counter line and in the tool tip, its menu items, and
// its remembered choices.
#include <algorithm>

#include "DevicePanel.h"
#include "FileErrorText.h"
#include "PanelFileTransfer.h"
#include "ReceivedFiles.h"

namespace {

String Number(ULONGLONG Value) { return String().sprintf("%llu", static_cast<unsigned long long>(Value)); }

std::string BaseName(const std::string& Path) {
  const size_t slash = Path.find_last_of("/\\");
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

String Names(const std::vector<std::string>& Paths) {
  String joined;
  for (const std::string& path : Paths) joined += (joined.IsEmpty() ? "" : "，") + String(BaseName(path));
  return joined;
}

String Seconds(ULONGLONG Ms) { return String().sprintf("%.1f", static_cast<double>(Ms) / 1000); }

}  // namespace

void PanelFileTransfer::End(const String& Cause) {
  _Run->Stop();  // the threads and pipes go; the program has ended
  const DWORD code = _Run->ExitCode();
  const LrzszReport report = _Run->Report();
  _Run.reset();
  const bool succeeded = Cause.IsEmpty() && code == 0;
  // A program that failed by itself (a name refused, too many retries)
  // leaves a far end that may still go on: lrzsz's sz, for one, can take
  // the receiver's cancel for noise while it looks for a header, and sends
  // its file header again later. It is told to stop when it does.
  if (!succeeded && Cause.IsEmpty() && report.Failure() != TransferFailure::FarEndCancelled &&
      GetTickCount64() >= _qwCancelWatchUntilMs)
    WatchForFarEnd();
  String line = String(ProtocolName(_Protocol)) + "：";
  if (!_bSending) {
    const String taken = ReceivedOutcome(succeeded);
    if (succeeded) {
      line += taken;
    } else {
      line += Fill(Tr("FileTransfer", "接收失败：%1"), {Cause.IsEmpty() ? Outcome(code, report) : Cause});
      if (!taken.IsEmpty()) line += "；" + taken;
    }
  } else if (succeeded) {
    line += Fill(Tr("FileTransfer", "已发送 %1（%2 字节，%3 秒）"),
                 {Names(_Files), Number(_qwSent), Seconds(GetTickCount64() - _qwStartMs)});
  } else {
    line += Fill(Tr("FileTransfer", "发送失败：%1"), {Cause.IsEmpty() ? Outcome(code, report) : Cause});
  }
  for (const std::string& refused : report.RefusedNames())
    line += Fill(Tr("FileTransfer", "；拒绝了发送方的文件名 %1"), {String(refused)});
  _Summary = line;
  Panel.Receive->Note(line);
  Panel.StateChanged();
}

String PanelFileTransfer::Outcome(DWORD ExitCode, const LrzszReport& Report) const {
  switch (Report.Failure()) {
    case TransferFailure::FarEndCancelled:
      return _bSending ? Tr("FileTransfer", "接收方取消了传输") : Tr("FileTransfer", "发送方取消了传输");
    case TransferFailure::TooManyRetries:
      return Tr("FileTransfer", "重试次数太多");
    case TransferFailure::NoAnswer:
      return Tr("FileTransfer", "对方没有回答");
    case TransferFailure::NameRefused:
      return Tr("FileTransfer", "发送方的文件名不能用");
    default:
      return Fill(Tr("FileTransfer", "%1 结束，退出码 %2：%3"),
                  {String(ProgramName(_Protocol, _bSending)), Number(ExitCode), String(Report.LastWords())});
  }
}

String PanelFileTransfer::ReceivedOutcome(bool Succeeded) {
  std::vector<std::string> placed, refused;
  DWORD error = ERROR_SUCCESS;
  if (!CarriesNames(_Protocol)) {
    // XMODEM's one file, named by the user (who agreed to replace it): kept
    // only when the transfer ended well, since XMODEM cannot tell a part.
    const std::string written = _Private + "/xmodem.bin";
    if (Succeeded && MoveFileExA(written.c_str(), _Target.c_str(), MOVEFILE_REPLACE_EXISTING))
      placed.push_back(_Target);
    else if (Succeeded)
      error = GetLastError();
    RemovePrivateFolder(_Private);
  } else {
    TakenFiles taken = TakeReceivedFiles(_Private, _Folder);
    placed = taken.Placed;
    refused = taken.Refused;
    error = taken.Error;
  }
  String text;
  if (!placed.empty())
    text = Fill(Tr("FileTransfer", "已接收 %1，在 %2"),
                {Names(placed), String(placed.front().substr(0, placed.front().find_last_of('/')))});
  else if (Succeeded)
    text = Tr("FileTransfer", "没有收到文件");
  for (const std::string& name : refused) text += Fill(Tr("FileTransfer", "；拒绝了发送方的文件名 %1"), {String(name)});
  if (error != ERROR_SUCCESS) text += "；" + FileErrorText(error);
  return text;
}

ULONGLONG PanelFileTransfer::FileSize(const std::string& ShownName) const {
  for (const std::string& file : _Files) {
    if (BaseName(file) != BaseName(ShownName)) continue;
    const HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    DWORD high = 0;
    const DWORD low = GetFileSize(handle, &high);
    CloseHandle(handle);
    return low == INVALID_FILE_SIZE ? 0 : (ULONGLONG{high} << 32) | low;
  }
  return 0;
}

String PanelFileTransfer::Progress() const {
  if (!Running()) return String();
  const LrzszReport report = _Run->Report();
  const ULONGLONG size = report.Size() != 0 ? report.Size() : _bSending ? FileSize(report.File()) : 0;
  const ULONGLONG done = size != 0 ? std::min<ULONGLONG>(report.Done(), size) : report.Done();
  String text = " " + String(ProtocolName(_Protocol)) + (_bSending ? " ↑ " : " ↓ ") + String(report.File());
  if (size == 0) return text + " " + Number(done != 0 ? done : _bSending ? _qwSent : _Run->Heard());
  return text + " " + Number(done) + "/" + Number(size) +
         String().sprintf(" %d%%", static_cast<int>(done * 100 / size));
}

String PanelFileTransfer::Hint() const {
  if (!Running()) return String();
  const LrzszReport report = _Run->Report();
  const ULONGLONG elapsedMs = std::max<ULONGLONG>(GetTickCount64() - _qwStartMs, 1);
  const ULONGLONG moved = _bSending ? _qwSent : _Run->Heard();
  return Fill(Tr("FileTransfer", "%1：第 %2 块，重试 %3 次，%4 字节/秒"),
              {String(ProtocolName(_Protocol)), Number(report.Blocks()),
               Number(static_cast<ULONGLONG>(report.Retries())), Number(moved * 1000 / elapsedMs)});
}

void PanelFileTransfer::ShowState() {
  CancelItem->Enabled = Running();
  WithoutAskingItem->Checked = ZmodemWithoutAsking;
}

void PanelFileTransfer::LoadChoices(TIniFile& Ini, const String& Section) {
  ZmodemWithoutAsking = Ini.ReadBool(Section, "ZmodemWithoutAsking", false);
  ReceiveFolder = Ini.ReadString(Section, "ReceiveFolder", "").c_str();
  ShowState();
}

void PanelFileTransfer::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteBool(Section, "ZmodemWithoutAsking", ZmodemWithoutAsking);
  Ini.WriteString(Section, "ReceiveFolder", String(ReceiveFolder));
}
