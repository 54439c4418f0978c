// One device panel of the window: its widgets (made and named by the form),
// its channel, its receive area, its writing thread and the features
// registered with it. The panel opens and closes its port with the line
// settings its boxes hold, waits for a lost port and opens it again, sends
// (every send of the panel goes through Send), shows what its port receives,
// and keeps its counter panel. The form lays the two panels out and hands
// them its events; features reach the window only through their panel.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <toolkit/toolkit.h>

#include "PanelFeature.h"
#include "PanelSend.h"
#include "PortWriter.h"
#include "ReadData.h"
#include "ReceiveArea.h"

// The widgets of a panel, by their role.
struct PanelWidgets {
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
  TButton* SendButton = nullptr;
  TButton* Clear = nullptr;
  TStatusPanel* Counter = nullptr;  // the panel's counter in the status bar
};

class DevicePanel : public PanelWidgets {
 public:
  // Index 0 is device 1, 1 device 2. Owner, the window, owns the menus, items and timers
  // the panel and its features make.
  DevicePanel(int Index, TForm* Owner, const PanelWidgets& Widgets, ReadData& Channel, ULONGLONG& SentBytes,
              ReceiveFrame& Frame);
  // Features go first, while the port, the writer and the receive area
  // they use still exist.
  ~DevicePanel();
  DevicePanel(const DevicePanel&) = delete;
  DevicePanel& operator=(const DevicePanel&) = delete;

  const int Index;
  TForm* const Owner;
  ReadData* const Channel;
  ULONGLONG* const SentBytes;  // the panel's S: count
  ReceiveArea* const Receive;

  // What features choose for the panel as a whole.
  bool TimeStamps = false;               // received lines and echoed sends are stamped
  int AutoPeriodTicks = 10;              // the auto-send period, in ticks of Timer1
  std::function<void()> ChoicesChanged;  // a remembered choice changed: the form writes the settings

  // Registers a feature, made for this panel; the panel owns it.
  template <class Feature, class... Args>
  Feature& Add(Args&&... Arguments) {
    auto feature = std::make_unique<Feature>(*this, std::forward<Args>(Arguments)...);
    Feature& added = *feature;
    features_.push_back(std::move(feature));
    return added;
  }
  // The registered feature of that class, or null.
  template <class Feature>
  Feature* Find() const {
    for (const std::unique_ptr<PanelFeature>& feature : features_)
      if (auto* found = dynamic_cast<Feature*>(feature.get())) return found;
    return nullptr;
  }
  const std::vector<std::unique_ptr<PanelFeature>>& Features() const { return features_; }

  // The port.
  bool PortOpen() const { return Channel->_hComm != INVALID_HANDLE_VALUE; }
  // Its device went away: the port is closed and the panel waits for it.
  bool Lost() const { return lost_; }
  // Opens or closes the port, by the button's caption.
  void OpenOrClose();
  // Opens the closed port as the Open button does, but shows no message:
  // empty when the port opened, else the text the message would show.
  String OpenSilently();
  // Closes the port when it is open, ending what runs on it; the panel
  // shows it closed unless the reason is a loss.
  void EndPortWork(PortCloseReason Reason);
  // The channel's device has gone: the port is let go and waited for.
  void PortLost();
  // Opens a lost port again when a device with its number is listed.
  void Reconnect();

  // Sending: the send line's text (its button, Enter, auto-send).
  void SendTyped();
  // Every send of the panel goes here: the features shape it, the port or
  // the writer takes it. The bytes the port took now (the rest goes later
  // through the writer, and is handed on as it goes).
  DWORD Send(PanelSend Send);
  // Raw bytes, as a quick send or a script sends them.
  DWORD SendBytes(const std::string& Bytes);
  // Sends a file through the writer; ERROR_SUCCESS, or why it cannot be
  // read or sent now.
  DWORD SendFile(const String& FileName);
  // Sends what a pipe gives, as it comes, until its writers have gone (a
  // file transfer's protocol program): through the writer, paced when
  // pacing is chosen, counted in S: and told to the features, never
  // echoed. The writer closes hSource. ERROR_SUCCESS, or why not now.
  DWORD SendStream(HANDLE hSource);
  const PortWriter& Writer() const { return writer_; }
  PortWriter& Writer() { return writer_; }
  // Bytes of a send the port took: counted in S:, echoed and told to the
  // features. More: the rest of the same send follows (its echo continues
  // the line); no bytes and no More only end the send.
  void BytesWent(const BYTE* pBytes, DWORD dwCount, bool More = false, bool Echo = true);

  // Receiving: a block of the panel's channel, for the features and, when
  // Show and no feature holds it, the receive area.
  void Received(const ReceivedBlock& Block, bool Show = true);

  // Each tick of Timer1: the features' ticks, and what the writer sent.
  void Tick();
  // The counter line for the port: the counters and what runs, or that the
  // port is lost and waited for.
  String StatusLine(int Port) const;
  // The counter panel's text and tool tip now.
  void ShowCounter(int Port);
  // After the panel's state changed: its tool tip and menu items.
  void StateChanged();
  // The features' menu items follow their state.
  void UpdateMenuItems();
  // The counter panel's tool tip: each feature's line.
  String CounterHint() const;

 private:
  void OpenPort();
  // Opens the port; empty, or why it cannot be opened.
  String TryOpenPort();
  void ClosePort();
  // Opens the channel on PanelPort[Index] with the boxes' settings; true
  // when the port is open. Every opening is told to the features.
  bool OpenChannel();
  void SetSettingsEnabled(bool Enabled);
  // Asks a lost port to be opened again after the next delay.
  void RetryReconnectLater();
  // Hands on what the writer sent.
  void HandOnWritten();

  std::unique_ptr<ReceiveArea> receive_;  // Receive, owned
  PortWriter writer_;
  bool lost_ = false;
  TTimer* reconnectTimer_;
  unsigned reconnectDelayMs_ = 0;  // 0 before the first retry
  bool tellingRefusal_ = false;
  std::vector<std::unique_ptr<PanelFeature>> features_;
};
