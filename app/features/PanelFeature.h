// How a feature joins the window. TForm1 describes each device panel once
// as a PanelParts (its widgets by role, its channel, its sent-bytes counter,
// its receive area) and hands it to every feature it makes for that panel.
// A feature is a PanelFeature: it owns its state and the menu items it adds
// to the panel's widgets, and it reaches the rest of the window only through
// its PanelParts, whose two notices tell the form that the panel's look or
// its remembered choices changed. Features never include Unit1.h.
//
// TForm1 keeps each panel's features in the order they were made (the
// order their items appear in a shared menu) and calls the hooks below on
// all of them; a feature overrides those it needs. Closing a port is not a
// hook: what each feature does then differs by why the port closes (the
// user, the exit, a lost device), so the form calls those steps itself.
// A new feature is a class in its own folder here, made in
// TForm1::CreateFeatures.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include <toolkit/toolkit.h>

#include "ReadData.h"

class ReceiveArea;
struct ReceivedBlock;

struct PanelParts {
  int Index = 0;                // 0 is device 1, 1 is device 2
  TComponent* Owner = nullptr;  // owns the menus, items and timers features make
  TGroupBox* Group = nullptr;
  TComboBox* Port = nullptr;
  TComboBox* Baud = nullptr;
  TComboBox* Parity = nullptr;
  TComboBox* DataBits = nullptr;
  TComboBox* StopBits = nullptr;
  TButton* OpenClose = nullptr;
  TMemo* Memo = nullptr;
  TEdit* Edit = nullptr;
  TCheckBox* Hex = nullptr;
  TCheckBox* Auto = nullptr;
  TButton* Send = nullptr;
  TButton* Clear = nullptr;
  ReadData* Channel = nullptr;
  ULONGLONG* SentBytes = nullptr;  // the panel's S: count
  ReceiveArea* Receive = nullptr;
  // The panel's state changed: its tool tip and menu items follow.
  std::function<void()> StateChanged;
  // A remembered choice changed: the settings are written.
  std::function<void()> ChoicesChanged;
  // Sends bytes through the panel's port as every send of the panel goes;
  // S: counts what the port took.
  std::function<void(const std::string& Bytes)> SendBytes;
  // Bytes of a send that went later than the send (paced), as the port took
  // them: counted, echoed and told to the features as SendBytes does. More:
  // the rest of that send follows (its echo continues the line); no bytes
  // and no More only end the send.
  std::function<void(const std::string& Bytes, bool More)> BytesWent;

  bool PortOpen() const { return Channel->_hComm != INVALID_HANDLE_VALUE; }
};

class PanelFeature {
 public:
  explicit PanelFeature(PanelParts& Panel) : Panel(Panel) {}
  virtual ~PanelFeature() = default;
  PanelFeature(const PanelFeature&) = delete;
  PanelFeature& operator=(const PanelFeature&) = delete;

  // Each tick of Timer1, before the deliveries are queued.
  virtual void Tick() {}
  // The panel's port has just opened (or opened again after a loss).
  virtual void PortOpened() {}
  // Every block the panel's port receives, in order, before the receive
  // area shows it.
  virtual void Received(const ReceivedBlock& /*Block*/) {}
  // Bytes the panel's sends wrote to its port (paced ones as they go).
  virtual void Sent(const BYTE* /*Bytes*/, DWORD /*Count*/) {}
  // Brings the feature's menu items in line with its state.
  virtual void ShowState() {}
  // A line for the counter panel's tool tip; empty for none.
  virtual String Hint() const { return String(); }
  // The feature's remembered choices, in the panel's settings section.
  virtual void LoadChoices(TIniFile& /*Ini*/, const String& /*Section*/) {}
  virtual void SaveChoices(TIniFile& /*Ini*/, const String& /*Section*/) const {}

 protected:
  PanelParts& Panel;
};
