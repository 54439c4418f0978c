// Showing a channel's received block in its panel's memo, as text or as
// hexadecimal pairs, with time stamps when the panel has them on.
#include <memory>
#include <string>

#include "HexText.h"
#include "Unit1.h"

namespace {

// A memo longer than this (in bytes of the ANSI text, each line break two)
// is emptied before the next block is shown.
constexpr int kMemoLimit = 4096;

}  // namespace

void TForm1::OnReceiveData(TMessage& Message) {
  ReceivedBlock* pItem = reinterpret_cast<ReceivedBlock*>(Message.LParam);
  ASSERT_AT(pItem, "Unit1", 311);
  const std::unique_ptr<ReceivedBlock> release(pItem);  // on every path
  if (pItem->dwCount == 0) return;

  const auto found = PortToPanel.find(static_cast<int>(Message.WParam));
  const int index = found != PortToPanel.end() ? found->second : 0;
  // A capture takes every byte of its own port, whatever the memo shows.
  if (found != PortToPanel.end()) Captures[index].Add(pItem->Bytes, pItem->dwCount);
  TMemo* memo = Panels[index].Memo;

  const int length = AnsiString(memo->Text).Length();
  memo->Lines->BeginUpdate();
  if (length > kMemoLimit) {
    memo->Text = "";
    Stampers[index].Reset();
  }

  String text;
  if (Panels[index].Hex->Checked) {
    // A lead byte held back in text mode shows before the pairs.
    text = AnsiString(ReceivedText[index].Flush().c_str());
    std::string hex(3 * static_cast<size_t>(pItem->dwCount) + 1, '\0');
    BytesToHex(pItem->Bytes, pItem->dwCount, hex.data());
    text += hex.c_str();
  } else {
    const std::string bytes = ReceivedText[index].Take(pItem->Bytes, pItem->dwCount);
    text = AnsiString(bytes.data(), static_cast<int>(bytes.size()));
  }
  if (Options[index].TimeStamps) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    // Line breaks are single bytes in UTF-8 too, so the stamper reads the
    // text as it stands.
    text = Panels[index].Hex->Checked ? Stampers[index].StampHex(text.Utf8(), now)
                                      : Stampers[index].StampText(text.Utf8(), now);
  }
  memo->Text = memo->Text + text;
  memo->Lines->EndUpdate();

  // Bring the newest text into view, however long the memo is.
  memo->SelStart = memo->Text.Length();
  SendMessageA(memo->Handle, EM_SCROLLCARET, 0, 0);
  SendMessageA(memo->Handle, WM_KEYDOWN, VK_NEXT, 1);
}
