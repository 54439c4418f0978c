// The port lists, filled at creation from the system's serial device map
// and again whenever devices come or go (WM_DEVICECHANGE).
#include <algorithm>
#include <memory>
#include <vector>

#include "PortNumberText.h"
#include "Unit1.h"

namespace {

const char kBanner[] = "Kestrix · 双串口调试";

}  // namespace

void TForm1::FillPortLists() {
  auto names = std::make_unique<TStringList>();
  auto registry = std::make_unique<TRegistry>();
  registry->RootKey = HKEY_LOCAL_MACHINE;
  registry->OpenKey("HARDWARE\\DEVICEMAP\\SERIALCOMM", true);
  registry->GetValueNames(names.get());

  ComboBox1->Items->Clear();
  ComboBox3->Items->Clear();

  std::vector<int> ports;
  for (int i = 0; i < names->Count; ++i) {
    String data;
    try {
      data = registry->ReadString(names->Strings[i]);
    } catch (const ERegistryException&) {
      continue;  // data that is not text names no port
    }
    int number;
    if (PortNumberOf(data, number)) ports.push_back(number);
  }
  std::sort(ports.begin(), ports.end());
  for (int port : ports) {
    ComboBox1->Items->Add("COM" + IntToStr(port));
    ComboBox3->Items->Add("COM" + IntToStr(port));
  }
}

void TForm1::RefreshPortLists() {
  // The texts are the user's choice (maybe typed, maybe an open port's):
  // a new list must not change them.
  const String port1 = ComboBox1->Text;
  const String port3 = ComboBox3->Text;
  FillPortLists();
  ComboBox1->Text = port1;
  ComboBox3->Text = port3;
}

void TForm1::OnDeviceChange(TMessage& Message) {
  RefreshPortLists();
  ReconnectLostPorts();
  Message.Result = TRUE;
}

void TForm1::FormCreate(TObject*) {
  FillPortLists();
  ComboBox1->ItemIndex = 0;
  ComboBox3->ItemIndex = 1;
  Memo1->DoubleBuffered = true;
  Memo2->DoubleBuffered = true;
  StatusBar1->DoubleBuffered = true;
  StatusBar1->Panels->Items[3]->Text = kBanner;
  LoadSettings();
}
