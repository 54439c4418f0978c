// A panel's receive area's context menu for files: capturing every byte its
// port receives to a file, and saving the text its memo shows.
#pragma once

#include "PanelFeature.h"
#include "ReceiveCapture.h"
#include "ShownTextSaver.h"

struct ReceivedBlock;

class PanelCapture : public PanelFeature {
 public:
  explicit PanelCapture(DevicePanel& Panel);

  bool Active() const { return _Capture.Active(); }
  // Asks for a file and captures into it, or stops the capture running.
  void CaptureOrStop();
  // A file that cannot be made is told in a message; nothing is captured.
  void Start(const String& FileName);
  void Stop();
  // The port is closing: the capture ends with the last block the close
  // posts.
  void StopAfterLastBlock();
  // Asks for a file and writes what the receive area shows into it: in the
  // ANSI code page (GBK) with no display choice made, else in UTF-8.
  void SaveShownText();
  // False, after a message that says why, when the file cannot be made.
  // The memo's text is written at once; what a log view keeps, on a thread
  // (Saving() meanwhile), and a write that fails is told when it does.
  bool SaveShownTextTo(const String& FileName);
  bool Saving() const { return _Saver.Busy(); }

  // Closed by the user or the exit, the capture ends with the last block
  // the close posts (at once when none follows).
  void PortClosed(PortCloseReason Reason, bool BlocksFollow) override;
  // A capture takes every byte of its own port, whatever the memo shows.
  void Received(const ReceivedBlock& Block) override;
  // Tells when the capture stopped by itself.
  void Tick() override;
  void ShowState() override;
  String Hint() const override;

  TMenuItem* const CaptureItem;

 private:
  ReceiveCapture _Capture;
  ShownTextSaver _Saver;
};
