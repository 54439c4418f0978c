// The main window: two device panels, each opening its own serial port,
// sending what its edit holds and showing what arrives; a status bar with
// the clock and each port's counters.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <toolkit/toolkit.h>

#include "CannotOpenText.h"
#include "FileSender.h"
#include "ModemLines.h"
#include "PanelOptions.h"
#include "ReadData.h"
#include "ReceiveArea.h"
#include "ReceiveCapture.h"
#include "SendHistory.h"

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

  // Each panel's context menus (its receive area's, its send line's, its
  // auto box's and the panel's own) and the items that show its choices.
  struct PanelMenuSet {
    TPopupMenu* Receive;
    TPopupMenu* Send;
    TPopupMenu* Auto;
    TPopupMenu* Panel;
    TMenuItem* TimeStamps;
    TMenuItem* Endings[4];                            // by LineEnding
    std::vector<std::pair<int, TMenuItem*>> Periods;  // period in ticks, its item
    TMenuItem* CustomPeriod;
    TMenuItem* OpenClose;
    TMenuItem* Clear;
    TMenuItem* Hex;
  };
  PanelMenuSet Menus[2];
  PanelOptions Options[2];
  SendHistory History[2];

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
  // The received-data message: shows a channel's block in its panel.
  void OnReceiveData(TMessage& Message);
  // Devices came or went: both port lists are read again, keeping the texts
  // the user left in them, and a panel waiting for its port opens it again
  // once a device with that COM number is back.
  void OnDeviceChange(TMessage& Message);
  // A channel's device has gone: the panel lets the port go and waits for it.
  void OnPortLost(TMessage& Message);
  // Brings both receive areas up to date now; they otherwise follow at the
  // next screen frame in which the window can be seen.
  void ShowReceivedText();
  void Dispatch(TMessage& Message) override;

  void SetTimeStamps(int Index, bool On);
  void SetLineEnding(int Index, LineEnding Ending);
  void SetAutoPeriod(int Index, int Ticks);
  // Asks for a period in milliseconds; anything but a multiple of 100 from
  // 100 to 60000 is refused with a message and changes nothing.
  void AskAutoPeriod(int Index);

  // The settings file: each panel's choices and history, remembered between
  // runs. Empty when there is no config folder.
  static String SettingsFileName();
  // The INI section of panel Index's settings: "Device1" or "Device2".
  static String SettingsSection(int Index);
  // Puts the remembered choices into the panels (FormCreate's last step).
  void LoadSettings();
  // Writes every panel's choices; a failure to write is logged once.
  void SaveSettings();

  // Modem lines of panel Index (ModemLines.cpp): DTR and RTS as chosen,
  // applied at once while the port is open and at each open; a reset pulse
  // drops both for 100 ms.
  void SetDtr(int Index, bool On);
  void SetRts(int Index, bool On);
  void ResetPulse(int Index);
  // A modem-line event of a port (CTS, DSR, RI or DCD changed).
  void OnModemLineEvent(TMessage& Message);

  // Sending a file through panel Index's port (FileSend.cpp).
  void SendFileOrCancel(int Index);
  void StartFileSend(int Index, const String& FileName);
  void CancelFileSend(int Index);

  // Capturing panel Index's received bytes to a file, and saving what its
  // memo shows (Capture.cpp).
  void CaptureOrStop(int Index);
  void StartCapture(int Index, const String& FileName);
  void StopCapture(int Index);
  void SaveShownText(int Index);
  bool SaveShownTextTo(int Index, const String& FileName);

 protected:
  // Releases the block of a received-data message that never got shown.
  void DropMessage(TMessage& Message) override;

  // The panel a block belongs to: that of the channel that read it.
  int PanelOf(const ReceivedBlock& Block, WPARAM Port) const;

  // The screen frame both receive areas are brought up to date at.
  std::unique_ptr<ReceiveFrame> ScreenFrame;
  std::unique_ptr<ReceiveArea> ReceiveAreas[2];

 private:
  // The widgets of one device panel, by role.
  struct PanelWidgets {
    TComboBox* Port;
    TComboBox* Baud;
    TComboBox* Parity;
    TComboBox* DataBits;
    TComboBox* StopBits;
    TButton* OpenClose;
    TMemo* Memo;
    TEdit* Edit;
    TCheckBox* Hex;
    TCheckBox* Auto;
    TButton* Send;
    TButton* Clear;
  };

  void CreateWidgets();
  void BindPanels();
  void CreatePanelMenus();
  // Brings a panel's menu checks and auto box hint in line with its options.
  void ShowPanelOptions(int Index);
  // Enter sends, Up and Down walk the panel's history.
  void SendLineKeyDown(int Index, unsigned short& Key, TShiftState Shift);
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

  // The panels' context menus (ContextMenus.cpp).
  void CreateContextMenus();
  // Captions, checks and enabled states that follow panel Index's state.
  void UpdateMenuItems(int Index);

  void ApplyModemLines(int Index);
  void EndResetPulse(int Index);
  // Adds what a file sending sent to the panel's count and tells when it
  // ended; every tick.
  void CollectFileSend(int Index);
  // Tells when a capture stopped by itself; every tick.
  void CollectCaptureFailure(int Index);
  // The counter panel's tool tip: modem lines, capture and file sending.
  String CounterHint(int Index);
  // " 37%" while a file is sent, else empty; follows the counter line.
  String FileSendProgress(int Index);
  void RefreshCounterHint(int Index);
  // After panel Index's lines, capture or sending changed: its tool tip
  // and menu items.
  void ShowPanelState(int Index);
  // Closes a panel's port when it is open, ending what runs on it: a file
  // being sent stops; a capture takes the blocks the close hands on, and
  // ends with the last.
  void EndPortWork(int Index);

  // The context-menu items of one panel whose look follows its state.
  struct PanelMenuItems {
    TMenuItem* Capture;
    TMenuItem* SendFile;
    TMenuItem* Dtr;
    TMenuItem* Rts;
    TMenuItem* ResetPulse;
  };

  PanelWidgets Panels[2];
  PanelMenuItems MenuItems[2];
  // Per panel: its port's device has gone; the port is closed, the panel
  // still reads as open and waits for the device to come back.
  bool PanelLost[2] = {false, false};
  // One-shot timers that try a lost port again, and each panel's current
  // delay between tries (0 before the first).
  TTimer* ReconnectTimers[2];
  unsigned ReconnectDelayMs[2] = {0, 0};
  std::unique_ptr<TIniFile> Settings;
  bool SettingsWriteFailed = false;  // logged once
  ModemLineChoice ModemLines[2];
  TTimer* ResetPulseTimers[2];
  // Declared after Channels: they go first, so no sending outlives its port.
  FileSender FileSends[2];
  bool FileSendStarted[2] = {false, false};
  String FileSendNames[2];
  ReceiveCapture Captures[2];
};

extern TForm1* Form1;

// The line-settings text "baud,parity,data,stop" from the panel's texts:
// blanks around the numbers removed, the parity's first character.
String LineSettingsText(const String& Baud, const String& Parity, const String& DataBits, const String& StopBits);
