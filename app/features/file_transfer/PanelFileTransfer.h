// Sending and receiving files by XMODEM, XMODEM-1K, YMODEM and ZMODEM, as
// bootloaders and device shells expect them, with lrzsz's programs speaking
// the protocol (ProtocolRun). The send line's menu: 发送文件 with each
// protocol (after the raw send), 接收文件 with each protocol and the choice
// to take a ZMODEM sender's start without asking, and 取消传输.
//
// While a transfer runs the port's bytes go to the program and not to the
// receive area (a capture and the link monitor still get them), the panel's
// other sends are refused (they would fall into the protocol's stream), the
// counter line shows the protocol, file, bytes and percent, its tool tip the
// blocks, retries and rate; a far end that stays silent ends it, closing
// the port cancels it, and a summary line in the receive area says how it
// ended.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PanelFeature.h"
#include "ProtocolRun.h"
#include "TransferProtocols.h"
#include "ZmodemStart.h"

class PanelFileTransfer : public PanelFeature {
 public:
  explicit PanelFileTransfer(DevicePanel& Panel);
  ~PanelFileTransfer() override;

  // How long a far end may stay silent (nothing heard, nothing sent) before
  // the transfer ends: for its first answer, and once it answered.
  static constexpr ULONGLONG kFirstAnswerMs = 60000;
  static constexpr ULONGLONG kSilenceMs = 10000;

  bool Running() const { return _Run != nullptr; }
  // Asks for files and sends them (one for XMODEM), or says why not.
  void SendWith(TransferProtocol Protocol);
  // Asks for a file (XMODEM) or a folder and receives.
  void ReceiveWith(TransferProtocol Protocol);
  // Without dialogs: false, with the reason told, when it cannot start.
  bool StartSending(TransferProtocol Protocol, const std::vector<std::string>& Files);
  // Into Folder; for XMODEM, Target is the file's full name.
  bool StartReceiving(TransferProtocol Protocol, const std::string& Folder, const std::string& Target = {});
  // Ends the transfer at once, with the protocol's cancel sequence.
  void Cancel();
  // The last summary line shown; empty before the first transfer ends.
  const String& Summary() const { return _Summary; }
  // A ZMODEM sender's start is taken without asking, into ReceiveFolder.
  bool ZmodemWithoutAsking = false;
  std::string ReceiveFolder;
  // The silence limits, shortened by tests.
  ULONGLONG FirstAnswerMs = kFirstAnswerMs;
  ULONGLONG SilenceMs = kSilenceMs;

  void Tick() override;
  void PortClosing(PortCloseReason Reason) override;
  void Received(const ReceivedBlock& Block) override;
  bool HoldsReceived() const override { return Running(); }
  void Shape(SendStep Step, PanelSend& Send) override;
  void Sent(const BYTE* Bytes, DWORD Count) override;
  void ShowState() override;
  String Hint() const override;
  String Progress() const override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const SendMenu;
  TMenuItem* const ReceiveMenu;
  TMenuItem* const WithoutAskingItem;
  TMenuItem* const CancelItem;

 private:
  bool StartRun(const std::string& CommandLine, const std::string& Folder);
  // Asks whether to take a ZMODEM sender's start, and where.
  void OfferZmodemReceive();
  // Ends the run (stopped first when it still runs) and tells how it ended;
  // Cause, when not empty, is why it was ended from here.
  void End(const String& Cause);
  String Outcome(DWORD ExitCode, const LrzszReport& Report) const;
  String ReceivedOutcome(bool Succeeded);
  // Sends the protocol's cancel sequence through the panel's send path.
  void SendCancelSequence();
  // Sends it, and again for a while whenever the far end still speaks.
  void CancelFarEnd();
  // Answers the far end with the cancel for a while whenever it speaks.
  void WatchForFarEnd();
  ULONGLONG FileSize(const std::string& ShownName) const;

  std::unique_ptr<ProtocolRun> _Run;
  TransferProtocol _Protocol = TransferProtocol::Xmodem;
  bool _bSending = true;
  std::vector<std::string> _Files;  // sent: full names
  std::string _Folder;              // receiving: the chosen folder
  std::string _Private;             // receiving: where the program writes
  std::string _Target;              // receiving by XMODEM: the file's full name
  ULONGLONG _qwStartMs = 0;
  ULONGLONG _qwQuietSinceMs = 0;
  ULONGLONG _qwMoved = 0;  // bytes heard and sent when last looked
  ULONGLONG _qwSent = 0;   // bytes the port took for this transfer
  bool _bOwnSend = false;  // the cancel sequence is on its way
  bool _bRefusalTold = false;
  bool _bZmodemSeen = false;
  ULONGLONG _qwCancelWatchUntilMs = 0;  // the far end is answered with the cancel till then
  int _nCancelRepeats = 0;
  bool _bFarEndAsked = false;  // it spoke since the cancel
  ZmodemStart _ZmodemStart;
  String _Summary;
};
