// The status bar and its panels.
#pragma once

#include <functional>
#include <vector>

#include "toolkit/controls.h"

class TStatusPanel : public TObject {
 public:
  Property<int> Width;
  Property<String> Text;
  Property<TAlignment> Alignment;
  // Shown as the panel's tool tip; empty for none.
  Property<String> Hint;
  // What the panel is, spoken by a screen reader before its text.
  Property<String> AccessibleName;

 private:
  friend class TStatusPanels;
  explicit TStatusPanel(std::function<void()> changed);
  int width_ = 50;
  String text_;
  String hint_;
  TAlignment alignment_ = taLeftJustify;
  String accessibleName_;
  std::function<void()> changed_;
};

class TStatusPanels : public TObject {
 public:
  ~TStatusPanels() override;

  TStatusPanel* Add();
  void Clear();
  ReadOnlyProperty<int> Count;
  // Raises EStringListError for an index outside the panels.
  IndexedProperty<TStatusPanel*> Items;

  TStatusPanel* operator[](int Index) const { return Items.Get(Index); }

 private:
  friend class ControlAccess;
  explicit TStatusPanels(std::function<void()> changed);
  std::vector<TStatusPanel*> panels_;
  std::function<void()> changed_;
};

// A bar of fixed-width panels, docked at the bottom of its parent.
class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;

  TStatusPanels* const Panels;
};
