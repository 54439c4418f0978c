// The texts a panel sent, for walking back with Up and Down in its send
// line. Each text appears once: sending a text again moves it to the newest
// place. At most kLimit texts are kept; the oldest go first.
#pragma once

#include <toolkit/toolkit.h>

#include <vector>

class SendHistory {
 public:
  static constexpr int kLimit = 50;

  // A text was sent; also ends a walk.
  void Add(const String& Text);
  // One step back (Up) from the text the line holds now, which is kept to
  // come back to. False, Shown untouched, when there is nothing older.
  bool Older(const String& Current, String& Shown);
  // One step forward (Down); past the newest text comes the one the line
  // held before the walk began. False when not walking.
  bool Newer(String& Shown);

  // Oldest first.
  const std::vector<String>& Texts() const { return texts_; }
  // Replaces the texts (oldest first), keeping the rules above.
  void Assign(const std::vector<String>& Texts);

 private:
  std::vector<String> texts_;
  int position_ = -1;  // index of the text shown while walking, -1 when not
  String draft_;
};
