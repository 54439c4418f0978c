// The main window: two device panels, each opening its own serial port,
// sending what its edit holds and showing what arrives; a status bar with
// the clock and each port's counters. What was added to the panels since
// (time stamps, send options, shortcuts, modem lines, capture, file send,
// remembered settings) are objects of app/features, made by the
// constructor and handed the panel they serve (PanelFeature.h).
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <toolkit/toolkit.h>

#include "CannotOpenText.h"
#include "PanelCapture.h"
#include "PanelDisplay.h"
#include "PanelFeature.h"
#include "PanelFileSend.h"
#include "PanelFind.h"
#include "PanelLanguage.h"
#include "PanelLineControl.h"
#include "PanelLinkMonitor.h"
#include "PanelModemLines.h"
#include "PanelNetworkPorts.h"
#include "PanelPlotter.h"
#include "PanelQuickSends.h"
#include "PanelSendOptions.h"
#include "PanelShortcuts.h"
#include "PanelTimeStamps.h"
#include "PanelWholeSession.h"
#include "ReadData.h"
#include "ReceiveArea.h"
#include "SettingsFile.h"

// Process-wide state of the window's module.
extern std::map<int, int> PortToPanel;  // port number -> panel index, one entry per open panel
extern int PanelPort[2];                // the port each panel tried last, -1 when none
extern ULONGLONG PanelSentBytes[2];     // bytes each panel's port took for sending; never reset
extern int TimerTicks;                  // ticks of Timer1 since start

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* Owner);
  ~TForm1() override;

  TImage* Image1;
  TGroupBox* GroupBox1;
  TGroupBox* GroupBox2;
  TStatusBar* StatusBar1;
  TTimer* Timer1;

  // Device 1.
  TLabel* Label2;
  TLabel* Label4;
  TLabel* Label6;
  TLabel* Label7;
  TLabel* Label8;
  TMemo* Memo1;
  TEdit* Edit1;
  TButton* Button2;
  TComboBox* ComboBox1;
  TComboBox* ComboBox2;
  TButton* Button1;
  TButton* Button4;
  TCheckBox* CheckBox1;
  // RadioButton1 and RadioButton2 are check boxes (the hex switches of the
  // two panels); they keep the names they had on the form.
  TCheckBox* RadioButton1;
  TComboBox* ComboBox5;
  TComboBox* ComboBox6;
  TComboBox* ComboBox7;

  // Device 2.
  TLabel* Label3;
  TLabel* Label5;
  TLabel* Label9;
  TLabel* Label10;
  TLabel* Label11;
  TMemo* Memo2;
  TEdit* Edit2;
  TButton* Button5;
  TComboBox* ComboBox3;
  TComboBox* ComboBox4;
  TButton* Button6;
  TButton* Button7;
  TCheckBox* CheckBox2;
  TCheckBox* RadioButton2;  // a check box, as RadioButton1
  TComboBox* ComboBox8;
  TComboBox* ComboBox9;
  TComboBox* ComboBox10;

  // The channels: element 0 serves device 1, element 1 device 2.
  ReadData Channels[2];

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void Button6Click(TObject* Sender);
  void Button7Click(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);

  // Fills both port lists from the registry's serial device map, each item
  // with its device as tool tip, and leaves the boxes' texts as they were.
  void FillPortLists();

  // Sends panel Index's edit text through its port, as text or as the bytes
  // its hexadecimal digits spell.
  void SendData(int Index);
  // Sends bytes through panel Index's port, the way every send of the
  // panel goes; S: counts what the port took.
  void SendBytes(int Index, const std::string& Bytes);
  // Bytes of a send that panel Index's port took: counted in S:, echoed
  // and told to the panel's features. More: the rest of the same send
  // follows later (paced), its echo continuing the line.
  void BytesWent(int Index, const char* pBytes, size_t nCount, bool More = false);
  // The received-data message: shows a channel's block in its panel.
  void OnReceiveData(TMessage& Message);
  // Devices came or went: both port lists are read again, keeping the texts
  // the user left in them, and a panel waiting for its port opens it again
  // once a device with that COM number is back.
  void OnDeviceChange(TMessage& Message);
  // A channel's device has gone: the panel lets the port go and waits for it.
  void OnPortLost(TMessage& Message);
  // A modem line of a port changed (CTS, DSR, RI or DCD): its panel's tool
  // tip and menu items follow.
  void OnModemLineEvent(TMessage& Message);
  // The session ends (the program is told to end): the window closes as
  // its close does, without asking.
  void OnEndSession(TMessage& Message);
  // Brings both receive areas up to date now; they otherwise follow at the
  // next screen frame in which the window can be seen.
  void ShowReceivedText();
  void Dispatch(TMessage& Message) override;

 protected:
  // Releases the block of a received-data message that never got shown.
  void DropMessage(TMessage& Message) override;

  // The panel a block belongs to: that of the channel that read it.
  int PanelOf(const ReceivedBlock& Block, WPARAM Port) const;

  // The screen frame both receive areas are brought up to date at.
  std::unique_ptr<ReceiveFrame> ScreenFrame;
  std::unique_ptr<ReceiveArea> ReceiveAreas[2];

 private:
  void CreateWidgets();
  void BindPanels();
  // Makes each panel's features, in the order their items appear in the
  // menus they share (PanelFeatures.cpp).
  void CreateFeatures();
  // Opens or closes panel Index's port, by its button's caption.
  void OpenOrClosePort(int Index);
  void OpenPort(int Index);
  void ClosePort(int Index);
  // Opens panel Index's channel on PanelPort[Index] with the settings its
  // combo boxes hold; true when the port is open.
  bool OpenChannel(int Index);
  LineSettingsTexts SettingsTexts(int Index) const;
  void SetSettingsEnabled(int Index, bool Enabled);
  // The port lists again, after a device came or went.
  void RefreshPortLists();
  void ReconnectLostPorts();
  void ReconnectLostPort(int Index);
  // Asks panel Index's lost port to be opened again after the next delay of
  // its back-off.
  void RetryReconnectLater(int Index);
  // What panel Index's counter panel shows for its port: the counters, or
  // that the port is lost and waited for.
  String StatusLine(int Index, int Port);

  // Each feature of panel Index hears that its port opened.
  void TellPortOpened(int Index);
  // Captions, checks and enabled states that follow panel Index's state.
  void UpdateMenuItems(int Index);
  // The counter panel's tool tip: each feature's line.
  String CounterHint(int Index) const;
  void RefreshCounterHint(int Index);
  // After panel Index's state changed: its tool tip and menu items.
  void ShowPanelState(int Index);
  // Closes a panel's port when it is open, ending what runs on it: a file
  // being sent stops; a capture takes the blocks the close hands on, and
  // ends with the last.
  void EndPortWork(int Index);

  // Each panel as its features see it: its widgets, channel and counters.
  PanelParts Panels[2];
  // Every feature of each panel, in the order they were made.
  std::vector<PanelFeature*> Features[2];
  // Per panel: its port's device has gone; the port is closed, the panel
  // still reads as open and waits for the device to come back.
  bool PanelLost[2] = {false, false};
  // One-shot timers that try a lost port again, and each panel's current
  // delay between tries (0 before the first).
  TTimer* ReconnectTimers[2];
  unsigned ReconnectDelayMs[2] = {0, 0};
  // The window closes because the session ends: nobody is asked.
  bool SessionEnding = false;

 public:
  // The features added to each panel (app/features), made by the
  // constructor. Declared after Channels and Panels: they go first, so no
  // sending or capture outlives its port.
  std::unique_ptr<PanelTimeStamps> TimeStamps[2];
  std::unique_ptr<PanelSendOptions> SendOptions[2];
  std::unique_ptr<PanelShortcuts> Shortcuts[2];
  std::unique_ptr<PanelModemLines> ModemLines[2];
  std::unique_ptr<PanelCapture> Captures[2];
  std::unique_ptr<PanelFileSend> FileSends[2];
  std::unique_ptr<PanelPlotter> Plotters[2];
  std::unique_ptr<PanelDisplay> Displays[2];
  // The link monitor serves both panels; it outlives their parts of it.
  std::unique_ptr<LinkMonitor> Monitor;
  std::unique_ptr<PanelLinkMonitor> LinkMonitors[2];
  std::unique_ptr<PanelWholeSession> WholeSessions[2];
  std::unique_ptr<PanelFind> Finds[2];
  std::unique_ptr<PanelLanguage> Languages[2];
  std::unique_ptr<PanelQuickSends> QuickSends[2];
  std::unique_ptr<PanelLineControl> LineControls[2];
  std::unique_ptr<PanelNetworkPorts> NetworkPorts[2];
  // Written whenever a panel's remembered choice changes.
  std::unique_ptr<SettingsFile> Settings;
};

extern TForm1* Form1;
