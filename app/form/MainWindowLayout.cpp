// The window's widgets with their positions, texts, fonts and defaults: what
// a form designer would keep in the form's resource.
#include "Unit1.h"

namespace {

struct Bounds {
  int Left, Top, Width, Height;
};

// Where one device panel puts its widgets; the two panels differ only here.
struct PanelLayout {
  Bounds PortLabel, BaudLabel, ParityLabel, DataBitsLabel, StopBitsLabel;
  Bounds Memo, Edit, Send, Port, Baud, OpenClose, Clear, Auto, Hex, Parity, DataBits, StopBits;
  const char* PortText;
};

const PanelLayout kDevice1 = {{8, 15, 53, 13},     {8, 44, 52, 13},    {8, 73, 52, 13},
                              {8, 101, 52, 13},    {8, 130, 52, 13},   {137, 13, 696, 125},
                              {443, 147, 390, 21}, {332, 145, 50, 25}, {58, 11, 70, 24},
                              {59, 41, 70, 24},    {139, 145, 50, 25}, {200, 145, 50, 25},
                              {394, 149, 47, 17},  {264, 149, 57, 17}, {58, 73, 70, 24},
                              {59, 99, 70, 24},    {59, 126, 70, 24},  "COM1"};

const PanelLayout kDevice2 = {{8, 14, 53, 13},     {8, 43, 52, 13},    {8, 72, 52, 13},
                              {8, 101, 52, 13},    {8, 130, 52, 13},   {136, 10, 697, 125},
                              {441, 146, 392, 21}, {335, 144, 50, 25}, {59, 10, 70, 24},
                              {59, 41, 70, 24},    {138, 144, 50, 25}, {206, 144, 50, 25},
                              {393, 148, 45, 17},  {265, 148, 57, 17}, {59, 75, 70, 24},
                              {59, 99, 70, 24},    {59, 126, 70, 24},  "COM2"};

void Place(TControl* Control, TWinControl* Parent, const Bounds& At) {
  Control->Parent = Parent;
  Control->SetBounds(At.Left, At.Top, At.Width, At.Height);
}

void SetFont(TFont* Font, const char* Name, int Height, TColor Color) {
  Font->Name = Name;
  Font->Height = Height;
  Font->Color = Color;
}

TLabel* NewLabel(TComponent* Owner, TWinControl* Parent, const Bounds& At, const String& Caption) {
  TLabel* label = new TLabel(Owner);
  Place(label, Parent, At);
  label->Caption = Caption;
  SetFont(label->Font, "宋体", -13, clWindowText);
  return label;
}

// Items and Text are the same in every language, unless the items are
// marked for the catalog under Context.
TComboBox* NewComboBox(TComponent* Owner, TWinControl* Parent, const Bounds& At, int Tab, const char* Text,
                       std::initializer_list<const char*> Items, const char* Context = nullptr) {
  TComboBox* box = new TComboBox(Owner);
  Place(box, Parent, At);
  box->Style = csDropDown;
  SetFont(box->Font, "Fixedsys", -9, clWindowText);
  box->ItemHeight = 16;
  for (const char* item : Items) box->Items->Add(Context ? TrText(Context, item) : String(item));
  box->Text = Context ? TrText(Context, Text) : String(Text);
  box->TabOrder = Tab;
  return box;
}

TButton* NewButton(TComponent* Owner, TWinControl* Parent, const Bounds& At, int Tab, const String& Caption) {
  TButton* button = new TButton(Owner);
  Place(button, Parent, At);
  button->Caption = Caption;
  button->TabOrder = Tab;
  return button;
}

void SetHint(TControl* Control, const String& Hint) {
  Control->Hint = Hint;
  Control->ShowHint = true;
}

TCheckBox* NewCheckBox(TComponent* Owner, TWinControl* Parent, const Bounds& At, int Tab, const String& Caption,
                       const String& Hint) {
  TCheckBox* box = new TCheckBox(Owner);
  Place(box, Parent, At);
  box->Caption = Caption;
  SetHint(box, Hint);
  box->Checked = false;
  box->TabOrder = Tab;
  return box;
}

TMemo* NewMemo(TComponent* Owner, TWinControl* Parent, const Bounds& At, int Tab) {
  TMemo* memo = new TMemo(Owner);
  Place(memo, Parent, At);
  memo->Color = clSilver;
  memo->ScrollBars = ssVertical;
  memo->ReadOnly = true;  // received text is never changed by hand (nor undone)
  SetFont(memo->Font, "MS Sans Serif", -11, clWindowText);
  memo->Ctl3D = true;
  memo->TabOrder = Tab;
  return memo;
}

TEdit* NewEdit(TComponent* Owner, TWinControl* Parent, const Bounds& At, int Tab) {
  TEdit* edit = new TEdit(Owner);
  Place(edit, Parent, At);
  edit->MaxLength = 128;
  edit->Text = "12345678";
  edit->TabOrder = Tab;
  return edit;
}

const std::initializer_list<const char*> kPorts = {"COM1", "COM2", "COM3", "COM4", "COM5",
                                                   "COM6", "COM7", "COM8", "COM9", "COM10"};
// The classic rates, then those of today's boards and USB adapters (up to
// 3 Mbaud). Any other rate may still be typed.
const std::initializer_list<const char*> kBaudRates = {"150",    "300",    "600",     "1200",    "2400",    "4800",
                                                       "9600",   "19200",  "38400",   "57600",   "115200",  "230400",
                                                       "460800", "921600", "1000000", "1500000", "2000000", "3000000"};
// Each starts with the letter the line settings take.
const std::initializer_list<const char*> kParities = {TR_MARK("Parity", "N (无)"), TR_MARK("Parity", "O (奇)"),
                                                      TR_MARK("Parity", "E (偶)"), TR_MARK("Parity", "M (标记)"),
                                                      TR_MARK("Parity", "S (空格)")};
const std::initializer_list<const char*> kDataBits = {"5", "6", "7", "8"};
const std::initializer_list<const char*> kStopBits = {"1", "2"};

// The widgets of one device panel, in the order the panel creates them.
struct PanelMembers {
  TLabel *&PortLabel, *&BaudLabel, *&ParityLabel, *&DataBitsLabel, *&StopBitsLabel;
  TMemo*& Memo;
  TEdit*& Edit;
  TButton*& Send;
  TComboBox *&Port, *&Baud;
  TButton *&OpenClose, *&Clear;
  TCheckBox *&Auto, *&Hex;
  TComboBox *&Parity, *&DataBits, *&StopBits;
};

// What a screen reader speaks for a control of the panel: the panel's
// caption and the control's role, e.g. "设备1 接收区". Buttons and check boxes
// speak their own captions inside the panel. The combo boxes' labels read
// the same in both panels, so the boxes carry the device in their names too.
void NameForReaders(TControl* Control, TGroupBox* Box, const String& Role) {
  Control->AccessibleName = Box->Caption.Get() + " " + Role;
}

void CreatePanel(TComponent* Owner, TGroupBox* Box, const PanelLayout& At, PanelMembers Out) {
  Out.PortLabel = NewLabel(Owner, Box, At.PortLabel, Tr("MainWindow", "串  口："));
  Out.BaudLabel = NewLabel(Owner, Box, At.BaudLabel, Tr("MainWindow", "波特率："));
  Out.ParityLabel = NewLabel(Owner, Box, At.ParityLabel, Tr("MainWindow", "校验位："));
  Out.DataBitsLabel = NewLabel(Owner, Box, At.DataBitsLabel, Tr("MainWindow", "数据位："));
  Out.StopBitsLabel = NewLabel(Owner, Box, At.StopBitsLabel, Tr("MainWindow", "停止位："));
  Out.Memo = NewMemo(Owner, Box, At.Memo, 0);
  Out.Edit = NewEdit(Owner, Box, At.Edit, 1);
  Out.Send = NewButton(Owner, Box, At.Send, 2, Tr("MainWindow", "发送"));
  Out.Port = NewComboBox(Owner, Box, At.Port, 3, At.PortText, kPorts);
  Out.Baud = NewComboBox(Owner, Box, At.Baud, 4, "9600", kBaudRates);
  Out.OpenClose = NewButton(Owner, Box, At.OpenClose, 5, Tr("PortPanel", "打开"));
  Out.Clear = NewButton(Owner, Box, At.Clear, 6, Tr("MainWindow", "清空"));
  SetHint(Out.Clear, Tr("MainWindow", "清空接收区"));
  Out.Auto = NewCheckBox(Owner, Box, At.Auto, 7, Tr("MainWindow", "自动"), Tr("MainWindow", "自动发送周期为1秒"));
  Out.Hex = NewCheckBox(Owner, Box, At.Hex, 8, Tr("MainWindow", "16进制"), Tr("MainWindow", "以16进制发送和接收"));
  Out.Parity = NewComboBox(Owner, Box, At.Parity, 9, "N (无)", kParities, "Parity");
  Out.DataBits = NewComboBox(Owner, Box, At.DataBits, 10, "8", kDataBits);
  Out.StopBits = NewComboBox(Owner, Box, At.StopBits, 11, "1", kStopBits);
  // Each label names the box beside it, as a reader announces it.
  Out.PortLabel->FocusControl = Out.Port;
  Out.BaudLabel->FocusControl = Out.Baud;
  Out.ParityLabel->FocusControl = Out.Parity;
  Out.DataBitsLabel->FocusControl = Out.DataBits;
  Out.StopBitsLabel->FocusControl = Out.StopBits;
  // A panel that grows gives the room to its receive area and send line;
  // the buttons below them keep their places from the panel's left edge.
  Out.Memo->Anchors = akLeft | akTop | akRight | akBottom;
  Out.Edit->Anchors = akLeft | akRight | akBottom;
  for (TControl* below :
       {static_cast<TControl*>(Out.Send), static_cast<TControl*>(Out.OpenClose), static_cast<TControl*>(Out.Clear),
        static_cast<TControl*>(Out.Auto), static_cast<TControl*>(Out.Hex)})
    below->Anchors = akLeft | akBottom;
  NameForReaders(Out.Memo, Box, Tr("MainWindow", "接收区"));
  NameForReaders(Out.Edit, Box, Tr("MainWindow", "发送区"));
  NameForReaders(Out.Port, Box, Tr("MainWindow", "串口"));
  NameForReaders(Out.Baud, Box, Tr("MainWindow", "波特率"));
  NameForReaders(Out.Parity, Box, Tr("MainWindow", "校验位"));
  NameForReaders(Out.DataBits, Box, Tr("MainWindow", "数据位"));
  NameForReaders(Out.StopBits, Box, Tr("MainWindow", "停止位"));
}

}  // namespace

void TForm1::CreateWidgets() {
  Caption = "Duvrel   * Norblen";
  BorderStyle = bsSingle;
  BorderIcons = biSystemMenu | biMinimize;
  Position = poScreenCenter;
  Left = 323;
  Top = 212;
  ClientWidth = 848;
  ClientHeight = 419;
  Color = clGradientActiveCaption;
  SetFont(Font, "MS Sans Serif", -12, clWindowText);
  Icon->LoadFromFile(":/kestrix/icon.png");

  Image1 = new TImage(this);
  Place(Image1, this, {336, 0, 177, 36});
  Image1->Picture->LoadFromFile(":/kestrix/banner.png");
  Image1->Transparent = true;
  Image1->AccessibleName = "Kestrix";
  Image1->Anchors = akTop;  // stays in the middle of a wider window

  GroupBox1 = new TGroupBox(this);
  Place(GroupBox1, this, {0, 31, 841, 180});
  GroupBox1->Caption = Tr("MainWindow", "设备1");
  SetFont(GroupBox1->Font, "MS Sans Serif", -12, clMenuText);
  GroupBox1->TabOrder = 0;

  GroupBox2 = new TGroupBox(this);
  Place(GroupBox2, this, {0, 216, 841, 180});
  GroupBox2->Caption = Tr("MainWindow", "设备2");
  GroupBox2->TabOrder = 1;

  CreatePanel(this, GroupBox1, kDevice1,
              {Label2, Label4, Label6, Label7, Label8, Memo1, Edit1, Button2, ComboBox1, ComboBox2, Button1, Button4,
               CheckBox1, RadioButton1, ComboBox5, ComboBox6, ComboBox7});
  CreatePanel(this, GroupBox2, kDevice2,
              {Label3, Label5, Label9, Label10, Label11, Memo2, Edit2, Button5, ComboBox3, ComboBox4, Button6, Button7,
               CheckBox2, RadioButton2, ComboBox8, ComboBox9, ComboBox10});
  SetFont(CheckBox2->Font, "MS Sans Serif", -12, clMenuText);

  StatusBar1 = new TStatusBar(this);
  Place(StatusBar1, this, {0, 400, 848, 19});
  StatusBar1->Align = alBottom;
  StatusBar1->Color = clGradientActiveCaption;
  // The clock, device 1's and device 2's counters, and the banner (which
  // speaks for itself).
  const struct {
    int Width;
    const char* AccessibleName;
  } kPanels[] = {{150, TR_MARK("MainWindow", "日期时间")},
                 {200, TR_MARK("MainWindow", "设备1 计数")},
                 {200, TR_MARK("MainWindow", "设备2 计数")},
                 {160, ""}};
  for (const auto& layout : kPanels) {
    TStatusPanel* panel = StatusBar1->Panels->Add();
    panel->Width = layout.Width;
    panel->Alignment = taCenter;
    panel->AccessibleName = *layout.AccessibleName ? TrText("MainWindow", layout.AccessibleName) : String();
  }

  Timer1 = new TTimer(this);
  Timer1->Interval = 100;
  Timer1->Enabled = true;

  Button1->OnClick = Bind(this, &TForm1::Button1Click);
  Button2->OnClick = Bind(this, &TForm1::Button2Click);
  Button4->OnClick = Bind(this, &TForm1::Button4Click);
  Button5->OnClick = Bind(this, &TForm1::Button5Click);
  Button6->OnClick = Bind(this, &TForm1::Button6Click);
  Button7->OnClick = Bind(this, &TForm1::Button7Click);
  Timer1->OnTimer = Bind(this, &TForm1::Timer1Timer);
  OnCreate = Bind(this, &TForm1::FormCreate);
  OnClose = Bind(this, &TForm1::FormClose);
}

void TForm1::CreatePanels() {
  ScreenFrame = std::make_unique<ReceiveFrame>(this, ResizableWindow::kDesignedWidth, ResizableWindow::kDesignedHeight);
  ScreenFrame->OnFrame = [this] { ShowReceivedText(); };
  const PanelWidgets widgets[2] = {{.Group = GroupBox1,
                                    .Port = ComboBox1,
                                    .Baud = ComboBox2,
                                    .Parity = ComboBox5,
                                    .DataBits = ComboBox6,
                                    .StopBits = ComboBox7,
                                    .OpenClose = Button1,
                                    .Memo = Memo1,
                                    .Edit = Edit1,
                                    .Hex = RadioButton1,
                                    .Auto = CheckBox1,
                                    .SendButton = Button2,
                                    .Clear = Button4,
                                    .Counter = StatusBar1->Panels->Items[1]},
                                   {.Group = GroupBox2,
                                    .Port = ComboBox3,
                                    .Baud = ComboBox4,
                                    .Parity = ComboBox8,
                                    .DataBits = ComboBox9,
                                    .StopBits = ComboBox10,
                                    .OpenClose = Button6,
                                    .Memo = Memo2,
                                    .Edit = Edit2,
                                    .Hex = RadioButton2,
                                    .Auto = CheckBox2,
                                    .SendButton = Button5,
                                    .Clear = Button7,
                                    .Counter = StatusBar1->Panels->Items[2]}};
  for (int index = 0; index < 2; ++index) {
    Panels[index] = std::make_unique<DevicePanel>(index, this, widgets[index], Channels[index], PanelSentBytes[index],
                                                  *ScreenFrame);
    Panels[index]->ChoicesChanged = [this] { Settings->Save(); };
  }
}
