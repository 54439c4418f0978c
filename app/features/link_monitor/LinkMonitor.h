// The link monitor: the program's record of both ports (LinkRecord), fed
// from both panels' deliveries while the monitor's window is open or its
// file is being saved, and what reads it: the window's rows, the Modbus
// decoder and the live file. One for the window, shared by the panels'
// PanelLinkMonitor features. The record never takes bytes from a panel: it
// copies what the panel receives.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include <toolkit/toolkit.h>

#include "LinkFileSaver.h"
#include "LinkRecord.h"
#include "ModbusRtu.h"
#include "MonitorChoices.h"

class MonitorWindow;
struct ReceivedBlock;

class LinkMonitor {
 public:
  explicit LinkMonitor(TComponent* Owner);
  ~LinkMonitor();
  LinkMonitor(const LinkMonitor&) = delete;
  LinkMonitor& operator=(const LinkMonitor&) = delete;

  // Opens the window (made on first use) and starts recording.
  void Show();
  bool Recording() const;
  // A panel's delivery: each read becomes a run of the record. Last ends
  // the port's frames. Lines are the port's control lines (LinkLine bits).
  void Received(int Panel, const std::string& PortName, const ReceivedBlock& Block, BYTE Lines = 0);
  // A panel's own send, a row of its own when the window shows sends.
  void Sent(int Panel, const std::string& PortName, const std::string& Bytes);
  // A break the panel began on its port, Ms long: a row of its own, shown
  // whether or not the window shows sends.
  void Break(int Panel, const std::string& PortName, int Ms);
  // The code page the panel reads its text in: its port's text rows are
  // read in it from now on.
  void SetCodePage(int Panel, UINT CodePage) { CodePages[Panel] = Saver.CodePages[Panel] = CodePage; }
  // The default frame gap of the panel's port (its line settings).
  void SetDefaultGap(int Panel, ULONGLONG Intervals);
  // Each tick of the main window's timer: settles the record, shows and
  // saves what entered it.
  void Tick();

  // Saves the record so far and every frame after it to the file
  // (pcapng, or the rows as text for a .txt name); false, with a message
  // shown, when the file cannot be made.
  bool SaveTo(const String& FileName);
  const LinkRecord& Record() const { return Record_; }

  // The window's choices, kept while its window is not made.
  const MonitorChoices& Choices() const { return Choices_; }
  void SetChoices(const MonitorChoices& Choices);
  // Runs when the user changed a choice, so that it is remembered.
  std::function<void()> ChoicesChanged;
  const LinkFileSaver& Saving() const { return Saver; }

 private:
  void ApplyChoices();
  void TakeChoices();
  void ShowNewRows();
  void ShowRow(const LinkFrame& Frame);
  void SaveOrStop();
  void Clear();
  void ShowStatus();

  TComponent* Owner;
  std::unique_ptr<MonitorWindow> Window;
  MonitorChoices Choices_;
  LinkRecord Record_;
  ModbusDecoder Decoder;
  LinkFileSaver Saver;
  String SaveName;
  ULONGLONG DefaultGaps[2] = {0, 0};
  UINT CodePages[2] = {936, 936};
  ULONGLONG NextShown = 0;    // the sequence of the next frame to show
  ULONGLONG PreviousEnd = 0;  // the last shown frame's end, for the gap
  bool Paused = false;
};
