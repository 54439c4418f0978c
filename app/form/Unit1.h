// The main window: two device panels, each opening its own serial port,
// sending what its edit holds and showing what arrives; a status bar with
// the clock and each port's counters. Each panel is a DevicePanel
// (app/panel), made by the constructor with its widgets and channel and
// given the features registered for it (PanelFeatures.cpp, the only file
// here that knows them); the window lays the panels out and hands them its
// events.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <toolkit/toolkit.h>

#include "ColorSchemeChoice.h"
#include "DevicePanel.h"
#include "PanelPorts.h"
#include "ReadData.h"
#include "ReceiveFrame.h"
#include "ResizableWindow.h"
#include "SavedSetups.h"
#include "SettingsFile.h"

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

  // The two device panels, element 0 device 1. Declared after Channels:
  // they go first, so no sending or capture outlives its port.
  std::unique_ptr<DevicePanel> Panels[2];
  // Written whenever a panel's remembered choice changes.
  std::unique_ptr<SettingsFile> Settings;
  // The choice to resize the window, and the panels' places when it is on.
  std::unique_ptr<ResizableWindow> Resizing;
  std::unique_ptr<ColorSchemeChoice> Colors;
  // 保存配置… and 载入配置….
  std::unique_ptr<SavedSetups> Setups;
  // The screen frame both receive areas are brought up to date at.
  std::unique_ptr<ReceiveFrame> ScreenFrame;

 protected:
  // Releases the block of a received-data message that never got shown.
  void DropMessage(TMessage& Message) override;

  // The panel a block belongs to: that of the channel that read it.
  int PanelOf(const ReceivedBlock& Block, WPARAM Port) const;

 private:
  void CreateWidgets();
  void CreatePanels();
  // Registers each panel's features, in the order their items appear in
  // the menus they share (PanelFeatures.cpp).
  void CreateFeatures();
  // The window's own choices (its size), read and written with the panels'.
  void CreateWindowChoices();
  // The port lists again, after a device came or went.
  void RefreshPortLists();

  // The window closes because the session ends: nobody is asked.
  bool SessionEnding = false;
};

extern TForm1* Form1;
