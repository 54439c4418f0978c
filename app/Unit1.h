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

#include "AnsiTextCarry.h"
#include "PanelOptions.h"
#include "ReadData.h"
#include "SendHistory.h"
#include "TimeStamps.h"

// Process-wide state of the window's module.
extern std::map<int, int> PortToPanel;  // port number -> panel index, one entry per open panel
extern int PanelPort[2];                // the port each panel tried last, -1 when none
extern ULONGLONG PanelSentBytes[2];     // bytes each panel offered for sending; never reset
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
  TCheckBox* RadioButton2;
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

  // Sends panel Index's edit text through its port, as text or as the bytes
  // its hexadecimal digits spell.
  void SendData(int Index);
  // The received-data message: shows a channel's block in its panel.
  void OnReceiveData(TMessage& Message);
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

 protected:
  // Releases the block of a received-data message that never got shown.
  void DropMessage(TMessage& Message) override;

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
  void SetSettingsEnabled(int Index, bool Enabled);
  // Blocks until the worker has run every delivery queued for the channels
  // so far, or has ended: the channels may go after that.
  void WaitForQueuedDeliveries();

  PanelWidgets Panels[2];
  AnsiTextCarry ReceivedText[2];  // per panel: a double-byte character split between blocks
  TimeStamper Stampers[2];        // per panel: where its lines start, for time stamps
  std::unique_ptr<TIniFile> Settings;
  bool SettingsWriteFailed = false;  // logged once
};

extern TForm1* Form1;

// The line-settings text "baud,parity,data,stop" from the panel's texts:
// blanks around the numbers removed, the parity's first character.
String LineSettingsText(const String& Baud, const String& Parity, const String& DataBits, const String& StopBits);
