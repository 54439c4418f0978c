// The main window: two device panels, each opening its own serial port,
// sending what its edit holds and showing what arrives; a status bar with
// the clock and each port's counters.
#pragma once

#include <windows.h>

#include <map>

#include <toolkit/toolkit.h>

#include "AnsiTextCarry.h"
#include "ReadData.h"

// Process-wide state of the window's module.
extern std::map<int, int> PortToPanel;  // port number -> panel index, one entry per open panel
extern int PanelPort[2];                // the port each panel tried last, -1 when none
extern int PanelSentBytes[2];           // bytes each panel offered for sending; never reset
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
  };

  void CreateWidgets();
  void BindPanels();
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
};

extern TForm1* Form1;

// The line-settings text "baud,parity,data,stop" from the panel's texts:
// blanks around the numbers removed, the parity's first character.
String LineSettingsText(const String& Baud, const String& Parity, const String& DataBits, const String& StopBits);
