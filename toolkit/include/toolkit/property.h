// Property-style members: a value read and written through its owner's
// getter and setter, so that code reads `Button1->Caption = "x";` and
// `if (CheckBox1->Checked)`. Owners bind the accessors when they construct
// their properties; a property cannot be copied or moved.
//
// Every control has a dozen properties or more, so a property is kept
// small: its accessors are lambdas that capture no more than their owner
// (`[this]`), held in place, with one pointer to a table of the calls that
// reach them: 24 bytes and no heap, where two std::function took 64.
#pragma once

#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "toolkit/strings.h"

namespace property_detail {

// The captured state of one accessor: at most a pointer, copied bytewise.
class Capture {
 public:
  template <typename F>
  static constexpr bool kFits =
      sizeof(F) <= sizeof(void*) && std::is_trivially_copyable_v<F>&& std::is_trivially_destructible_v<F>;

  Capture() = default;
  template <typename F>
  explicit Capture(const F& f) {
    static_assert(kFits<F>, "a property accessor may capture its owner only");
    ::new (static_cast<void*>(bytes_)) F(f);
  }
  template <typename F>
  const F& As() const {
    return *std::launder(reinterpret_cast<const F*>(bytes_));
  }

 private:
  alignas(void*) unsigned char bytes_[sizeof(void*)] = {};
};

// The calls of one getter/setter pair, shared by every property bound to
// the same two lambdas.
template <typename T, typename... Index>
struct Calls {
  T (*get)(const Capture&, Index...);
  void (*set)(const Capture&, Index..., const T&);  // null: read-only
};

template <typename T, typename Get, typename Set, typename... Index>
inline constexpr Calls<T, Index...> kCalls{
    [](const Capture& get, Index... index) -> T { return get.As<Get>()(index...); },
    [](const Capture& set, Index... index, const T& value) { set.As<Set>()(index..., value); }};

template <typename T, typename Get, typename... Index>
inline constexpr Calls<T, Index...> kGetOnly{
    [](const Capture& get, Index... index) -> T { return get.As<Get>()(index...); }, nullptr};

}  // namespace property_detail

// Read-only String helpers offered on String-valued properties, so that
// `Edit1->Text.Trim()` reads as on a String.
template <typename Derived, typename T>
class PropertyValueMethods {};

template <typename Derived>
class PropertyValueMethods<Derived, String> {
 public:
  int Length() const { return value().Length(); }
  bool IsEmpty() const { return value().IsEmpty(); }
  String SubString(int StartIndex, int Count) const { return value().SubString(StartIndex, Count); }
  String Trim() const { return value().Trim(); }
  int ToInt() const { return value().ToInt(); }
  int ToIntDef(int Default) const { return value().ToIntDef(Default); }

 private:
  String value() const { return static_cast<const Derived*>(this)->Get(); }
};

template <typename T>
class ReadOnlyProperty : public PropertyValueMethods<ReadOnlyProperty<T>, T> {
 public:
  template <typename Get>
  explicit ReadOnlyProperty(Get get) : get_(get), calls_(&property_detail::kGetOnly<T, Get>) {}
  ReadOnlyProperty(const ReadOnlyProperty&) = delete;
  ReadOnlyProperty& operator=(const ReadOnlyProperty&) = delete;

  T Get() const { return calls_->get(get_); }
  operator T() const { return Get(); }
  T operator->() const requires std::is_pointer_v<T> { return Get(); }

  friend bool operator==(const ReadOnlyProperty& p, const T& value) { return p.Get() == value; }

 private:
  property_detail::Capture get_;
  const property_detail::Calls<T>* calls_;
};

template <typename T>
class Property : public PropertyValueMethods<Property<T>, T> {
 public:
  template <typename Get, typename Set>
  Property(Get get, Set set) : get_(get), set_(set), calls_(&property_detail::kCalls<T, Get, Set>) {}
  Property(const Property&) = delete;

  T Get() const { return calls_->get(get_); }
  void Set(const T& value) { calls_->set(set_, value); }
  operator T() const { return Get(); }
  T operator->() const requires std::is_pointer_v<T> { return Get(); }

  Property& operator=(const T& value) {
    Set(value);
    return *this;
  }
  Property& operator=(const Property& other) {
    Set(other.Get());
    return *this;
  }
  template <typename U>
  Property& operator=(const ReadOnlyProperty<U>& other) {
    Set(other.Get());
    return *this;
  }

  friend bool operator==(const Property& p, const T& value) { return p.Get() == value; }

 private:
  property_detail::Capture get_;
  property_detail::Capture set_;
  const property_detail::Calls<T>* calls_;
};

// An indexed property: `Items->Strings[i]`, `StatusBar1->Panels->Items[0]`.
// Without a setter the elements are read-only.
template <typename T>
class IndexedProperty {
 public:
  class Element {
   public:
    operator T() const { return owner_.Get(index_); }
    T operator->() const requires std::is_pointer_v<T> { return owner_.Get(index_); }
    Element& operator=(const T& value) {
      owner_.Put(index_, value);
      return *this;
    }
    friend bool operator==(const Element& e, const T& value) { return T(e) == value; }

   private:
    friend class IndexedProperty;
    Element(const IndexedProperty& owner, int index) : owner_(owner), index_(index) {}
    const IndexedProperty& owner_;
    int index_;
  };

  template <typename Get>
  explicit IndexedProperty(Get get) : get_(get), calls_(&property_detail::kGetOnly<T, Get, int>) {}
  template <typename Get, typename Set>
  IndexedProperty(Get get, Set set) : get_(get), set_(set), calls_(&property_detail::kCalls<T, Get, Set, int>) {}
  IndexedProperty(const IndexedProperty&) = delete;
  IndexedProperty& operator=(const IndexedProperty&) = delete;

  Element operator[](int index) const { return Element(*this, index); }
  T Get(int index) const { return calls_->get(get_, index); }

 private:
  void Put(int index, const T& value) const {
    if (calls_->set) calls_->set(set_, index, value);
  }
  property_detail::Capture get_;
  property_detail::Capture set_;
  const property_detail::Calls<T, int>* calls_;
};
