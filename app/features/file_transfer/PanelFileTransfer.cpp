#include "PanelFileTransfer.h"

#include <algorithm>

#include "DevicePanel.h"
#include "FileErrorText.h"
#include "MenuItems.h"
#include "ReceivedFiles.h"

namespace {

// The ZMODEM abort (eight CANs, then backspaces to wipe them from a shell's
// line); two CANs or more end XMODEM and YMODEM too.
const std::string kCancelSequence = std::string(8, '\x18') + std::string(10, '\x08');

// An X/YMODEM receiver in the middle of a block takes the cancel for the
// block's bytes; once its wait for the rest ends it asks again (NAK or 'C')
// and is answered with the cancel once more, for this long after the cancel
// and this many times.
constexpr ULONGLONG kCancelWatchMs = 8000;
constexpr int kMostCancelRepeats = 4;

String Number(ULONGLONG Value) { return String().sprintf("%llu", static_cast<unsigned long long>(Value)); }

std::string FolderOf(const std::string& Path) {
  const size_t slash = Path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : Path.substr(0, slash);
}

}  // namespace

PanelFileTransfer::PanelFileTransfer(DevicePanel& Panel)
    : PanelFeature(Panel),
      SendMenu(SharedSubmenu(Panel.Owner, Panel.Edit, Tr("FileTransfer", "发送文件"))),
      ReceiveMenu(NewItem(Panel.Owner, Tr("FileTransfer", "接收文件"), 0, nullptr)),
      WithoutAskingItem(NewCheckItem(Panel.Owner, Tr("FileTransfer", "收到 ZMODEM 发送时直接接收"), 0,
                                     [this](TObject*) {
                                       ZmodemWithoutAsking = WithoutAskingItem->Checked;
                                       if (this->Panel.ChoicesChanged) this->Panel.ChoicesChanged();
                                     })),
      CancelItem(NewItem(Panel.Owner, Tr("FileTransfer", "取消传输"), 0, [this](TObject*) { Cancel(); })) {
  for (const TransferProtocol protocol : kTransferProtocols) {
    const String caption = String(ProtocolName(protocol)) + "…";
    SendMenu->Add(NewItem(Panel.Owner, caption, 0, [this, protocol](TObject*) { SendWith(protocol); }));
    // XMODEM-1K is received as XMODEM is: the receiver takes either size.
    if (protocol != TransferProtocol::Xmodem1K)
      ReceiveMenu->Add(NewItem(Panel.Owner, caption, 0, [this, protocol](TObject*) { ReceiveWith(protocol); }));
  }
  ReceiveMenu->Add(NewLine(Panel.Owner));
  ReceiveMenu->Add(WithoutAskingItem);
  // Beside the send-file submenu: the ways of moving files, together.
  TMenuItem* items = Panel.Edit->PopupMenu.Get()->Items;
  const int at = items->IndexOf(SendMenu);
  items->Insert(at + 1, ReceiveMenu);
  items->Insert(at + 2, CancelItem);
  ShowState();
}

PanelFileTransfer::~PanelFileTransfer() { _Run.reset(); }

void PanelFileTransfer::SendWith(TransferProtocol Protocol) {
  if (Running()) return ShowMessage(Tr("FileTransfer", "文件传输正在进行：请等它结束，或先取消。"));
  if (!Panel.PortOpen()) return ShowMessage(Tr("FileSend", "请先打开端口，再发送文件。"));
  TOpenDialog dialog(nullptr);
  dialog.Title = Fill(Tr("FileTransfer", "用 %1 发送文件"), {String(ProtocolName(Protocol))});
  dialog.Filter = Tr("FileSend", "所有文件 (*)|*");
  dialog.MultiSelect = CarriesNames(Protocol);
  if (!dialog.Execute()) return;
  std::vector<std::string> files;
  for (const String& file : dialog.Files()) files.push_back(file.c_str());
  StartSending(Protocol, files);
}

void PanelFileTransfer::ReceiveWith(TransferProtocol Protocol) {
  if (Running()) return ShowMessage(Tr("FileTransfer", "文件传输正在进行：请等它结束，或先取消。"));
  if (!Panel.PortOpen()) return ShowMessage(Tr("FileTransfer", "请先打开端口，再接收文件。"));
  const String title = Fill(Tr("FileTransfer", "用 %1 接收文件"), {String(ProtocolName(Protocol))});
  if (!CarriesNames(Protocol)) {
    // XMODEM carries no name: the user names the file.
    TSaveDialog dialog(nullptr);
    dialog.Title = title;
    dialog.Filter = Tr("FileSend", "所有文件 (*)|*");
    if (dialog.Execute())
      StartReceiving(Protocol, FolderOf(dialog.FileName.Get().c_str()), dialog.FileName.Get().c_str());
    return;
  }
  String folder(ReceiveFolder);
  if (!SelectDirectory(title, String(), folder)) return;
  ReceiveFolder = folder.c_str();
  if (Panel.ChoicesChanged) Panel.ChoicesChanged();
  StartReceiving(Protocol, ReceiveFolder);
}

bool PanelFileTransfer::StartSending(TransferProtocol Protocol, const std::vector<std::string>& Files) {
  if (Running() || !Panel.PortOpen() || Files.empty()) return false;
  for (const std::string& file : Files) {
    const HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      ShowMessage(Fill(Tr("FileSend", "不能发送文件 %1\n%2"), {String(file), FileErrorText(GetLastError())}));
      return false;
    }
    CloseHandle(handle);
  }
  _Protocol = Protocol;
  _bSending = true;
  _Files = CarriesNames(Protocol) ? Files : std::vector<std::string>{Files.front()};
  const std::string program = FindProgram(Protocol, true);
  return StartRun(program.empty() ? std::string() : SendCommandLine(Protocol, program, _Files),
                  FolderOf(Files.front()));
}

bool PanelFileTransfer::StartReceiving(TransferProtocol Protocol, const std::string& Folder,
                                       const std::string& Target) {
  if (Running() || !Panel.PortOpen()) return false;
  _Protocol = Protocol;
  _bSending = false;
  _Files.clear();
  _Folder = Folder;
  _Target = Target;
  // The program writes into a folder of its own beside the files' place (so
  // that taking them is a move on one file system), never where they go.
  _Private = Folder + "/.kestrix-receiving-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(Panel.Index) + "-" + std::to_string(GetTickCount64());
  if (!CreateDirectoryA(_Private.c_str(), nullptr)) {
    ShowMessage(Fill(Tr("FileTransfer", "不能在 %1 接收文件\n%2"), {String(Folder), FileErrorText(GetLastError())}));
    return false;
  }
  const std::string program = FindProgram(Protocol, false);
  const bool started =
      StartRun(program.empty() ? std::string() : ReceiveCommandLine(Protocol, program, "xmodem.bin"), _Private);
  if (!started) RemovePrivateFolder(_Private);
  return started;
}

bool PanelFileTransfer::StartRun(const std::string& CommandLine, const std::string& Folder) {
  const String program(ProgramName(_Protocol, _bSending));
  if (CommandLine.empty()) {
    ShowMessage(Fill(Tr("FileTransfer",
                        "找不到 lrzsz 的程序 %1：请安装 lrzsz（Debian：apt install lrzsz），"
                        "它的程序要在 PATH 上。"),
                     {program}));
    return false;
  }
  _Run = std::make_unique<ProtocolRun>(Panel);
  // What the far end's cancel looks like in what it sends: an X/YMODEM
  // receiver sends nothing but ACK, NAK, 'C' and CAN, so two CANs are its
  // cancel; ZMODEM escapes CAN in its data, so five in a row are an abort;
  // an X/YMODEM sender's blocks may hold any run of CANs, and its program
  // reads the cancel where a block starts by itself.
  if (_Protocol == TransferProtocol::Zmodem)
    _Run->SetCancelRun(5);
  else if (_bSending)
    _Run->SetCancelRun(2);
  const DWORD error = _Run->Start(CommandLine, Folder);
  if (error != ERROR_SUCCESS) {
    _Run.reset();
    ShowMessage(Fill(Tr("FileTransfer", "不能运行 %1\n%2"), {program, FileErrorText(error)}));
    return false;
  }
  _qwStartMs = _qwQuietSinceMs = GetTickCount64();
  _qwMoved = _qwSent = 0;
  _qwCancelWatchUntilMs = 0;
  _bRefusalTold = false;
  Panel.StateChanged();
  return true;
}

void PanelFileTransfer::Cancel() {
  if (!Running()) return;
  _Run->Abort();
  CancelFarEnd();
  End(Tr("FileTransfer", "已取消"));
}

void PanelFileTransfer::CancelFarEnd() {
  SendCancelSequence();
  WatchForFarEnd();
}

void PanelFileTransfer::WatchForFarEnd() {
  _qwCancelWatchUntilMs = GetTickCount64() + kCancelWatchMs;
  _nCancelRepeats = 0;
  _bFarEndAsked = false;
}

void PanelFileTransfer::SendCancelSequence() {
  _bOwnSend = true;
  PanelSend send;
  send.Bytes = kCancelSequence;
  send.Echo = false;
  Panel.Send(std::move(send));
  _bOwnSend = false;
}

void PanelFileTransfer::Tick() {
  if (_bFarEndAsked) {
    _bFarEndAsked = false;
    if (!Running() && Panel.PortOpen() && _nCancelRepeats++ < kMostCancelRepeats) SendCancelSequence();
  }
  if (_bZmodemSeen) {
    _bZmodemSeen = false;
    if (!Running() && Panel.PortOpen()) OfferZmodemReceive();
  }
  if (!Running()) return;
  const ULONGLONG now = GetTickCount64();
  const ULONGLONG moved = _Run->Heard() + _qwSent;
  if (moved != _qwMoved) {
    _qwMoved = moved;
    _qwQuietSinceMs = now;
  }
  const ULONGLONG limit = _Run->Heard() == 0 ? FirstAnswerMs : SilenceMs;
  if (!_Run->Finished() && now - _qwQuietSinceMs >= limit) {
    _Run->Abort();
    CancelFarEnd();
    End(Fill(Tr("FileTransfer", "对方 %1 秒没有回答"), {Number(limit / 1000)}));
    return;
  }
  if (_Run->FarEndCancelled() && !_Run->Finished()) {
    _Run->Abort();
    End(_bSending ? Tr("FileTransfer", "接收方取消了传输") : Tr("FileTransfer", "发送方取消了传输"));
    return;
  }
  if (_Run->Finished()) End(String());
}

void PanelFileTransfer::PortClosing(PortCloseReason Reason) {
  if (!Running()) return;
  _Run->Abort();
  // The far end is told while the port is still open; a device gone hears
  // nothing.
  if (Reason != PortCloseReason::Lost) SendCancelSequence();
  End(Reason == PortCloseReason::Lost ? Tr("FileSend", "端口的设备已断开。") : Tr("FileTransfer", "端口已关闭"));
  _qwCancelWatchUntilMs = 0;  // nothing more is heard
}

void PanelFileTransfer::Received(const ReceivedBlock& Block) {
  const bool cancelling = GetTickCount64() < _qwCancelWatchUntilMs;
  // A board's prompt or the user's typing after the cancel is left alone.
  if (cancelling && !Running() && AsksAgainAfterCancel(Block.Bytes, Block.dwCount)) _bFarEndAsked = true;
  if (Running() || cancelling) {
    _ZmodemStart.Forget();
    return;
  }
  if (_ZmodemStart.Seen(Block.Bytes, Block.dwCount)) _bZmodemSeen = true;
}

void PanelFileTransfer::OfferZmodemReceive() {
  if (!ZmodemWithoutAsking || ReceiveFolder.empty()) {
    if (Application->MessageBox(Tr("FileTransfer", "对方开始用 ZMODEM 发送文件。要接收吗？"),
                                Tr("FileTransfer", "接收文件"), MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
    String folder(ReceiveFolder);
    if (!SelectDirectory(Fill(Tr("FileTransfer", "用 %1 接收文件"), {String("ZMODEM")}), String(), folder)) return;
    ReceiveFolder = folder.c_str();
    if (Panel.ChoicesChanged) Panel.ChoicesChanged();
  }
  StartReceiving(TransferProtocol::Zmodem, ReceiveFolder);
}

void PanelFileTransfer::Shape(SendStep Step, PanelSend& Send) {
  // The last step: what else the panel sends now would fall into the
  // protocol's stream and spoil it.
  // (A file or the transfer's own stream carries no bytes here.)
  if (Step != SendStep::Pace || !Running() || _bOwnSend || Send.Whole().empty()) return;
  Send.Bytes.clear();
  Send.Ending.clear();
  if (_bRefusalTold) return;
  _bRefusalTold = true;
  Panel.Receive->Note(Tr("FileTransfer", "文件传输正在进行：其他发送没有发送。"));
}

void PanelFileTransfer::Sent(const BYTE* /*Bytes*/, DWORD Count) {
  if (Running()) _qwSent += Count;
}
