// The panel's one send path. A send's bytes are made (GBK text, or the bytes
// hex digits spell), shaped by the features step by step (SendStep), and
// handed to the port: at once when nothing waits and nothing paces it, else
// through the writer thread behind what waits. Whatever the port takes is
// counted in S:, echoed when the panel shows its sends, and told to the
// features.
#include <string>
#include <vector>

#include "DevicePanel.h"
#include "HexText.h"

void DevicePanel::SendTyped() {
  const String text = Edit->Text;
  if (!PortOpen() || text.IsEmpty()) return;
  PanelSend send;
  send.Text = text;
  send.Typed = true;
  send.Hex = Hex->Checked;
  Send(std::move(send));
}

DWORD DevicePanel::SendBytes(const std::string& Bytes) {
  PanelSend send;
  send.Bytes = Bytes;
  return Send(std::move(send));
}

namespace {

// The bytes a hex text's digit pairs spell; a work area sized for the text,
// since the edit's limit binds typing only, not text put there otherwise.
std::string BytesOfHex(const String& Text) {
  const AnsiString digits(Text.Trim());
  std::vector<BYTE> bytes(static_cast<size_t>(digits.Length()) / 2 + 1, 0);
  const int count = HexToBytes(digits.c_str(), bytes.data());
  return std::string(bytes.begin(), bytes.begin() + count);
}

}  // namespace

DWORD DevicePanel::Send(PanelSend Send) {
  if (!Send.Text.IsEmpty()) {
    if (Send.Hex) {
      Send.Bytes = BytesOfHex(Send.Text);
    } else {
      const AnsiString ansi(Send.Text);
      Send.Bytes.assign(ansi.c_str(), static_cast<size_t>(ansi.Length()));
    }
  }
  for (const SendStep step : {SendStep::Encode, SendStep::Check, SendStep::End, SendStep::Pace})
    for (const std::unique_ptr<PanelFeature>& feature : features_) feature->Shape(step, Send);

  const std::string bytes = Send.Whole();
  if (bytes.empty() || !PortOpen()) return 0;
  // Bytes behind what the writer has in hand wait for it, also after pacing
  // was turned off, so that nothing overtakes.
  if (Send.Pace.On() || writer_.Busy()) {
    if (writer_.Queue(Channel->_hComm, bytes, Send.Pace, Send.Echo)) {
      StateChanged();
    } else if (!tellingRefusal_) {
      // An auto-send or a timed quick send may be refused again while the
      // message is up: one message at a time.
      tellingRefusal_ = true;
      ShowMessage(Fill(Tr("LineControl", "按间隔发送的队列已满（最多 %1 字节）：这次发送的 %2 字节没有发送。"),
                       {String(std::to_string(PortWriter::kQueueLimit)), String(std::to_string(bytes.size()))}));
      tellingRefusal_ = false;
    }
    return 0;
  }
  HandOnWritten();  // what the writer sent went first
  // S: counts what the port took: a message it refuses (its output queue
  // full, the device gone) never goes out and is not counted.
  const DWORD written = Channel->Write(bytes.data(), static_cast<DWORD>(bytes.size()));
  // Nothing written now must not end the echo of a paced send under way.
  if (written > 0) BytesWent(reinterpret_cast<const BYTE*>(bytes.data()), written, false, Send.Echo);
  return written;
}

DWORD DevicePanel::SendFile(const String& FileName) {
  if (!PortOpen()) return ERROR_NOT_READY;
  // File names reach the file calls as the file system spells them.
  const HANDLE file = CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  // A file goes as it is: only the pacing step applies.
  PanelSend send;
  for (const std::unique_ptr<PanelFeature>& feature : features_) feature->Shape(SendStep::Pace, send);
  const DWORD error = writer_.QueueFile(Channel->_hComm, file, Channel->_Dcb.BaudRate, send.Pace, send.Echo);
  if (error != ERROR_SUCCESS) {
    CloseHandle(file);
    return error;
  }
  StateChanged();
  return ERROR_SUCCESS;
}

DWORD DevicePanel::SendStream(HANDLE hSource) {
  if (!PortOpen()) return ERROR_NOT_READY;
  PanelSend send;
  send.Echo = false;
  for (const std::unique_ptr<PanelFeature>& feature : features_) feature->Shape(SendStep::Pace, send);
  const DWORD error = writer_.QueueStream(Channel->_hComm, hSource, Channel->_Dcb.BaudRate, send.Pace);
  if (error == ERROR_SUCCESS) StateChanged();
  return error;
}

void DevicePanel::HandOnWritten() {
  for (const PortWriter::SentPart& part : writer_.TakeSent())
    BytesWent(reinterpret_cast<const BYTE*>(part.Bytes.data()), static_cast<DWORD>(part.Bytes.size()), !part.Ends,
              part.Echo);
}

void DevicePanel::BytesWent(const BYTE* pBytes, DWORD dwCount, bool More, bool Echo) {
  *SentBytes += dwCount;
  // No bytes may still end a paced send's echo line.
  if (Echo) Receive->Echo(pBytes, dwCount, More, TimeStamps);
  if (dwCount == 0) return;
  for (const std::unique_ptr<PanelFeature>& feature : features_) feature->Sent(pBytes, dwCount);
}
