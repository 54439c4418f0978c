// Sending a panel's edit text, as text (with the panel's line ending) or as
// hexadecimal bytes, by its Send button, Enter or the auto-send period; and
// the Clear buttons.
#include <vector>

#include "HexText.h"
#include "TextEncodings.h"
#include "Unit1.h"

void TForm1::Button2Click(TObject*) { SendData(0); }
void TForm1::Button5Click(TObject*) { SendData(1); }

void TForm1::Button4Click(TObject*) { ReceiveAreas[0]->Clear(); }
void TForm1::Button7Click(TObject*) { ReceiveAreas[1]->Clear(); }

void TForm1::SendData(int Index) {
  const String text = Panels[Index].Edit->Text;
  cxComm& port = Channels[Index];
  if (port._hComm == INVALID_HANDLE_VALUE) return;
  if (text.IsEmpty()) return;

  // S: counts what the port took: a message it refuses (its output queue
  // full, the device gone) never goes out and is not counted.
  if (Panels[Index].Hex->Checked) {
    // Work areas sized for the text: the edit's limit binds typing only,
    // not text put there otherwise.
    const AnsiString digits(text.Trim());
    std::vector<BYTE> bytes(static_cast<size_t>(digits.Length()) / 2 + 1, 0);
    const int count = HexToBytes(digits.c_str(), bytes.data());
    const DWORD written = port.Write(bytes.data(), static_cast<DWORD>(count));
    PanelSentBytes[Index] += written;
    ReceiveAreas[Index]->Echo(bytes.data(), written, TimeStamps[Index]->On());
    for (PanelFeature* feature : Features[Index]) feature->Sent(bytes.data(), written);
  } else if (const UINT codePage = Displays[Index]->Choices().CodePage; codePage != TextEncodings().front().CodePage) {
    // In the panel's encoding; UTF-16 text holds zero bytes.
    const std::string bytes = EncodeText(text.Utf8() + LineEndingBytes(SendOptions[Index]->Ending()), codePage);
    const DWORD written = port.Write(bytes.data(), static_cast<DWORD>(bytes.size()));
    PanelSentBytes[Index] += written;
    ReceiveAreas[Index]->Echo(reinterpret_cast<const BYTE*>(bytes.data()), written, TimeStamps[Index]->On());
    for (PanelFeature* feature : Features[Index]) feature->Sent(reinterpret_cast<const BYTE*>(bytes.data()), written);
  } else {
    const AnsiString bytes = AnsiString(text) + LineEndingBytes(SendOptions[Index]->Ending());
    const DWORD written = port.Write(bytes.c_str());
    PanelSentBytes[Index] += written;
    ReceiveAreas[Index]->Echo(reinterpret_cast<const BYTE*>(bytes.c_str()), written, TimeStamps[Index]->On());
    for (PanelFeature* feature : Features[Index]) feature->Sent(reinterpret_cast<const BYTE*>(bytes.c_str()), written);
  }
  SendOptions[Index]->Sent(text);
}
