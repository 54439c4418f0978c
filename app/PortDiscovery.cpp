// The port lists, filled at creation from the system's serial device map.
#include <algorithm>
#include <memory>
#include <vector>

#include "Unit1.h"

namespace {

const char kBanner[] = "Kestrix · 双串口调试";

// The number of a registry entry's data "COM<n>"; false for data that is
// not "COM" followed by a decimal number.
bool PortNumberOf(const String& Data, int& Number) {
  if (Data.SubString(1, 3) != "COM") return false;
  const String digits = Data.SubString(4, Data.Length());
  if (digits.IsEmpty()) return false;
  for (const char* c = digits.c_str(); *c != '\0'; ++c)
    if (*c < '0' || *c > '9') return false;
  Number = digits.ToIntDef(-1);
  return Number >= 0;
}

}  // namespace

void TForm1::FormCreate(TObject*) {
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
  registry.reset();
  names.reset();

  ComboBox1->ItemIndex = 0;
  ComboBox3->ItemIndex = 1;
  Memo1->DoubleBuffered = true;
  Memo2->DoubleBuffered = true;
  StatusBar1->DoubleBuffered = true;
  StatusBar1->Panels->Items[3]->Text = kBanner;
}
