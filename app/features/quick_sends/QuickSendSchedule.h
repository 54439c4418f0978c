// Which quick sends go out on a tick of the window's 100 ms timer: each one
// started goes at once and then every period of its own; those due on the
// same tick go in the order they were started in the list (by Order).
#pragma once

#include <vector>

class QuickSendSchedule {
 public:
  // Starts (or starts again) the send of Key every PeriodTicks ticks (at
  // least 1), the first period counted from now.
  void Start(unsigned Key, int PeriodTicks);
  void Stop(unsigned Key);
  void StopAll();
  bool Running(unsigned Key) const;
  bool Empty() const { return _Entries.empty(); }

  // One tick: the keys due now, ordered as Order lists them (keys not in
  // Order last).
  std::vector<unsigned> Tick(const std::vector<unsigned>& Order);

 private:
  struct Entry {
    unsigned Key;
    int PeriodTicks;
    int TicksLeft;
  };
  std::vector<Entry> _Entries;
};
