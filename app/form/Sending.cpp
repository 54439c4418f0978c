// Sending a panel's edit text, as text (with the panel's line ending) or as
// hexadecimal bytes, by its Send button, Enter or the auto-send period; and
// the Clear buttons.
#include <string>
#include <vector>

#include "Checksums.h"
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

  // The checksum chosen for typed sends follows the message's own bytes
  // (before a text's line ending); hex text with no byte gets none.
  const Checksum check = QuickSends[Index]->TypedChecksum();
  if (Panels[Index].Hex->Checked) {
    // Work areas sized for the text: the edit's limit binds typing only,
    // not text put there otherwise.
    const AnsiString digits(text.Trim());
    std::vector<BYTE> bytes(static_cast<size_t>(digits.Length()) / 2 + 1, 0);
    const int count = HexToBytes(digits.c_str(), bytes.data());
    const std::string message(bytes.begin(), bytes.begin() + count);
    SendBytes(Index, count > 0 ? WithChecksum(check, message) : message);
  } else if (const UINT codePage = Displays[Index]->Choices().CodePage; codePage != TextEncodings().front().CodePage) {
    // In the panel's encoding; UTF-16 text holds zero bytes.
    const std::string ending = LineEndingBytes(SendOptions[Index]->Ending());
    SendBytes(Index, WithChecksum(check, EncodeText(text.Utf8(), codePage)) + EncodeText(ending, codePage));
  } else {
    const AnsiString ansi(text);
    const AnsiString ending = LineEndingBytes(SendOptions[Index]->Ending());
    SendBytes(Index, WithChecksum(check, std::string(ansi.c_str(), static_cast<size_t>(ansi.Length()))) +
                         std::string(ending.c_str(), static_cast<size_t>(ending.Length())));
  }
  SendOptions[Index]->Sent(text);
}

void TForm1::SendBytes(int Index, const std::string& Bytes) {
  // S: counts what the port took: a message it refuses (its output queue
  // full, the device gone) never goes out and is not counted. Paced bytes
  // come back through BytesWent as the port takes them.
  const DWORD written = LineControls[Index]->Send(Bytes);
  // Nothing written now must not end the echo of a paced send under way.
  if (written > 0) BytesWent(Index, Bytes.data(), written);
}

void TForm1::BytesWent(int Index, const char* pBytes, size_t nCount, bool More) {
  const auto* data = reinterpret_cast<const BYTE*>(pBytes);
  const auto count = static_cast<DWORD>(nCount);
  PanelSentBytes[Index] += count;
  // No bytes may still end a paced send's echo line.
  ReceiveAreas[Index]->Echo(data, count, More, TimeStamps[Index]->On());
  if (count == 0) return;
  for (PanelFeature* feature : Features[Index]) feature->Sent(data, count);
}
