// Quick sends of a panel (快捷发送…, the send line's menu): a list of named
// messages, text or hex, each with an optional checksum, sent from a window
// of buttons, by Alt+1 to Alt+9 (in that window and in the send line), or
// every period of their own while their box is checked. Every send goes
// the panel's way (DevicePanel::SendBytes), so S: counts what the port took.
// Periodic sends stop when the port closes and when the window closes.
// The send line's menu also chooses the checksum of what is typed
// (校验). The list and that choice are remembered; lists are imported and
// exported as text files (QuickSendFile.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PanelFeature.h"
#include "QuickSend.h"
#include "QuickSendList.h"
#include "QuickSendSchedule.h"

class QuickSendWindow;

class PanelQuickSends : public PanelFeature, public QuickSendList {
 public:
  explicit PanelQuickSends(DevicePanel& Panel);
  ~PanelQuickSends() override;

  // The checksum appended to what the send line sends.
  Checksum TypedChecksum() const { return _Typed; }
  void SetTypedChecksum(Checksum Kind);
  // Typed sends get the chosen checksum.
  void Shape(SendStep Step, PanelSend& Send) override;

  const std::vector<QuickSend>& Sends() const override { return _Sends; }
  // Adds a quick send at the end, or puts one in place of the one at
  // Index; false with the reason in Error when it is not valid or the list
  // is full.
  bool Add(const QuickSend& Send, std::string& Error) override;
  bool Replace(size_t Index, const QuickSend& Send, std::string& Error) override;
  void Remove(size_t Index) override;

  // Sends the one at Index now; nothing while the port is closed.
  void SendNow(size_t Index) override;
  // Starts or stops sending the one at Index every period; starting sends
  // it at once. False (and nothing runs) when it has no period or the port
  // is closed.
  bool SetPeriodic(size_t Index, bool On) override;
  bool Periodic(size_t Index) const override;
  void StopPeriodic() override;

  // Adds the quick sends a file lists (as many as fit); Report says how
  // many and names each line that was left out. False when the file cannot
  // be read or holds none.
  bool Import(const String& FileName, String& Report) override;
  // Writes the list to the file; false with the reason in Error.
  bool Export(const String& FileName, String& Error) override;

  // Shows the window of buttons (made the first time).
  void ShowWindow();
  QuickSendWindow* Window() const { return _Window.get(); }

  void Tick() override;
  void ShowState() override;
  String Hint() const override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const QuickSendItem;
  TMenuItem* ChecksumItems[kChecksumCount];

 private:
  void CreateMenus();
  // Alt+1 to Alt+9 in the send line, then what the line did before.
  void SendLineKeyDown(TKeyEvent Before, TObject* Sender, unsigned short& Key, TShiftState Shift);
  // The list changed: it is remembered and the window follows.
  void ListChanged();
  void Refresh();

  std::vector<QuickSend> _Sends;
  std::vector<unsigned> _Keys;  // one per quick send, for the schedule
  unsigned _nNextKey = 1;
  QuickSendSchedule _Schedule;
  Checksum _Typed = Checksum::None;
  std::unique_ptr<QuickSendWindow> _Window;
};
