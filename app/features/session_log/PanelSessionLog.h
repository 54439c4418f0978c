// A panel's session log (会话日志… in the receive area's menu): while on,
// the text the panel shows is appended to a file as it comes, in UTF-8,
// with escape sequences taken out and, when chosen, a stamp on every line
// (SessionLogText); the files are named by port, date and time and start
// anew at a size or at midnight (SessionLogFile). It can start by itself
// whenever the port opens; its choices are remembered. The menu also
// opens the log's folder.
#pragma once

#include <memory>
#include <string_view>

#include "PanelFeature.h"
#include "SessionLogChoices.h"
#include "SessionLogFile.h"
#include "SessionLogText.h"
#include "SessionLogWindow.h"

class PanelSessionLog : public PanelFeature {
 public:
  explicit PanelSessionLog(DevicePanel& Panel);
  ~PanelSessionLog() override;

  bool Logging() const { return _File.Active(); }
  const SessionLogChoices& Choices() const { return _Choices; }
  const SessionLogFile& File() const { return _File; }
  // Takes the choices and starts or stops logging (a log running with
  // other choices goes on in a new file). False, after a message, when the
  // file cannot be made.
  bool Apply(const SessionLogChoices& Choices, bool Log);
  // A new file for the panel's port now; false after a message saying why.
  bool Start();
  void Stop();
  // Opens the log's folder (made when missing) with the desktop's program.
  void OpenFolder();
  // The window of choices (made on first use).
  SessionLogWindow& Window();

  // Starts when chosen; a log running for another port goes on in a new
  // file named for this one.
  void PortOpened() override;
  // The block's arrival, for the stamps of the text the area makes of it.
  void Received(const ReceivedBlock& Block) override;
  // A new file at midnight or when the file was removed; a log that
  // stopped by itself is told.
  void Tick() override;
  void ShowState() override;
  String Hint() const override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const Item;
  TMenuItem* const FolderItem;

 private:
  void Log(std::u16string_view Text);
  String PortName() const;

  SessionLogChoices _Choices;
  SessionLogFile _File;
  SessionLogText _Text;
  std::unique_ptr<SessionLogWindow> _Window;
  int _iTicks = 0;
  FILETIME _Arrival{};     // the arrival of the block being shown
  bool _bArrival = false;  // while it is
};
