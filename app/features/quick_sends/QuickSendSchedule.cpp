#include "QuickSendSchedule.h"

#include <algorithm>

void QuickSendSchedule::Start(unsigned Key, int PeriodTicks) {
  Stop(Key);
  const int period = std::max(PeriodTicks, 1);
  _Entries.push_back({Key, period, period});
}

void QuickSendSchedule::Stop(unsigned Key) {
  std::erase_if(_Entries, [Key](const Entry& entry) { return entry.Key == Key; });
}

void QuickSendSchedule::StopAll() { _Entries.clear(); }

bool QuickSendSchedule::Running(unsigned Key) const {
  return std::any_of(_Entries.begin(), _Entries.end(), [Key](const Entry& entry) { return entry.Key == Key; });
}

std::vector<unsigned> QuickSendSchedule::Tick(const std::vector<unsigned>& Order) {
  std::vector<unsigned> due;
  for (Entry& entry : _Entries)
    if (--entry.TicksLeft <= 0) {
      entry.TicksLeft = entry.PeriodTicks;
      due.push_back(entry.Key);
    }
  const auto place = [&Order](unsigned Key) {
    return static_cast<size_t>(std::find(Order.begin(), Order.end(), Key) - Order.begin());
  };
  std::stable_sort(due.begin(), due.end(), [&place](unsigned a, unsigned b) { return place(a) < place(b); });
  return due;
}
