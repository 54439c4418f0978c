// The root classes: TObject, and TComponent, whose owner frees it.
#pragma once

#include <vector>

#include "toolkit/property.h"
#include "toolkit/strings.h"

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

// A component frees the components it owns (the newest first) when it is
// destroyed; a component destroyed earlier leaves its owner's list.
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  String Name;
  ReadOnlyProperty<TComponent*> Owner;
  ReadOnlyProperty<int> ComponentCount;
  IndexedProperty<TComponent*> Components;

 private:
  TComponent* owner_;
  std::vector<TComponent*> owned_;
};
