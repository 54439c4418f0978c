// The port lists, filled from the system's serial device map (the registry
// key HARDWARE\DEVICEMAP\SERIALCOMM), each item with its device as tool tip;
// at creation and again whenever devices come or go (WM_DEVICECHANGE), when
// a panel waiting for its lost port tries it again.
#include <algorithm>
#include <memory>
#include <vector>

#include "PortNumberText.h"
#include "Unit1.h"

namespace {

const char kBanner[] = TR_MARK("StatusBar", "Kestrix · 双串口调试");

}  // namespace

void TForm1::FillPortLists() {
  const String texts[2] = {ComboBox1->Text, ComboBox3->Text};
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

  // Each port's device, for the tool tips: a value per port name.
  registry->CloseKey();
  const bool named = registry->OpenKey("HARDWARE\\DEVICEMAP\\SERIALCOMM\\FriendlyNames", false);
  for (int port : ports) {
    const String name = "COM" + IntToStr(port);
    String description;
    try {
      if (named && registry->ValueExists(name)) description = registry->ReadString(name);
    } catch (const ERegistryException&) {
      // No description: the item has no tool tip.
    }
    for (TComboBox* box : {ComboBox1, ComboBox3}) {
      box->Items->Add(name);
      box->SetItemHint(box->Items->Count - 1, description);
    }
  }
  ComboBox1->Text = texts[0];
  ComboBox3->Text = texts[1];
}

void TForm1::RefreshPortLists() {
  // FillPortLists keeps the texts: they are the user's choice (maybe typed,
  // maybe an open port's), and a new list must not change them.
  FillPortLists();
}

void TForm1::OnDeviceChange(TMessage& Message) {
  RefreshPortLists();
  for (const std::unique_ptr<DevicePanel>& panel : Panels) panel->Reconnect();
  Message.Result = TRUE;
}

void TForm1::OnPortLost(TMessage& Message) {
  const auto entry = PortToPanel.find(static_cast<int>(Message.WParam));
  if (entry == PortToPanel.end()) return;  // closed by the user meanwhile
  Panels[entry->second]->PortLost();
}

void TForm1::FormCreate(TObject*) {
  FillPortLists();
  ComboBox1->ItemIndex = 0;
  ComboBox3->ItemIndex = 1;
  Memo1->DoubleBuffered = true;
  Memo2->DoubleBuffered = true;
  StatusBar1->DoubleBuffered = true;
  StatusBar1->Panels->Items[3]->Text = TrText("StatusBar", kBanner);
  Settings->Load();
}
