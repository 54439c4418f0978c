#include "SendHistory.h"

#include <algorithm>

void SendHistory::Add(const String& Text) {
  position_ = -1;
  if (Text.IsEmpty()) return;
  texts_.erase(std::remove(texts_.begin(), texts_.end(), Text), texts_.end());
  texts_.push_back(Text);
  if (static_cast<int>(texts_.size()) > kLimit) texts_.erase(texts_.begin(), texts_.end() - kLimit);
}

bool SendHistory::Older(const String& Current, String& Shown) {
  if (position_ == 0 || texts_.empty()) return false;
  if (position_ < 0) {
    draft_ = Current;
    position_ = static_cast<int>(texts_.size());
  }
  Shown = texts_[static_cast<size_t>(--position_)];
  return true;
}

bool SendHistory::Newer(String& Shown) {
  if (position_ < 0) return false;
  if (++position_ >= static_cast<int>(texts_.size())) {
    position_ = -1;
    Shown = draft_;
  } else {
    Shown = texts_[static_cast<size_t>(position_)];
  }
  return true;
}

void SendHistory::Assign(const std::vector<String>& Texts) {
  texts_.clear();
  for (const String& text : Texts) Add(text);
}
