// What the quick-send window asks of the list it shows (the panel's quick
// sends, PanelQuickSends).
#pragma once

#include <toolkit/toolkit.h>

#include <string>
#include <vector>

#include "QuickSend.h"

class QuickSendList {
 public:
  virtual ~QuickSendList() = default;

  virtual const std::vector<QuickSend>& Sends() const = 0;
  virtual bool Add(const QuickSend& Send, std::string& Error) = 0;
  virtual bool Replace(size_t Index, const QuickSend& Send, std::string& Error) = 0;
  virtual void Remove(size_t Index) = 0;
  virtual void SendNow(size_t Index) = 0;
  virtual bool SetPeriodic(size_t Index, bool On) = 0;
  virtual bool Periodic(size_t Index) const = 0;
  virtual void StopPeriodic() = 0;
  virtual bool Import(const String& FileName, String& Report) = 0;
  virtual bool Export(const String& FileName, String& Error) = 0;
};
