// TComponent: ownership.
#include <algorithm>

#include "toolkit/classes.h"
#include "toolkit/exceptions.h"

TComponent::TComponent(TComponent* AOwner)
    : Owner([this] { return owner_; }),
      ComponentCount([this] { return static_cast<int>(owned_.size()); }),
      Components([this](int index) -> TComponent* {
        if (index < 0 || index >= static_cast<int>(owned_.size())) return nullptr;
        return owned_[static_cast<size_t>(index)];
      }),
      owner_(AOwner) {
  if (owner_) owner_->owned_.push_back(this);
}

TComponent::~TComponent() {
  // Each owned component leaves owned_ as it is destroyed.
  while (!owned_.empty()) delete owned_.back();
  if (owner_) {
    auto& siblings = owner_->owned_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}
