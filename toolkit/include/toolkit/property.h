// Property-style members: a value read and written through its owner's
// getter and setter, so that code reads `Button1->Caption = "x";` and
// `if (CheckBox1->Checked)`. Owners bind the accessors when they construct
// their properties; a property cannot be copied or moved.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "toolkit/strings.h"

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
  String UpperCase() const { return value().UpperCase(); }
  String LowerCase() const { return value().LowerCase(); }
  int Pos(const String& Sub) const { return value().Pos(Sub); }
  int ToInt() const { return value().ToInt(); }
  int ToIntDef(int Default) const { return value().ToIntDef(Default); }
  // Valid until the next c_str() of the same property.
  const char* c_str() const {
    cached_ = value();
    return cached_.c_str();
  }

 private:
  String value() const { return static_cast<const Derived*>(this)->Get(); }
  mutable String cached_;
};

template <typename T>
class ReadOnlyProperty : public PropertyValueMethods<ReadOnlyProperty<T>, T> {
 public:
  using Getter = std::function<T()>;

  explicit ReadOnlyProperty(Getter getter) : get_(std::move(getter)) {}
  ReadOnlyProperty(const ReadOnlyProperty&) = delete;
  ReadOnlyProperty& operator=(const ReadOnlyProperty&) = delete;

  T Get() const { return get_(); }
  operator T() const { return get_(); }
  T operator->() const requires std::is_pointer_v<T> { return get_(); }

  friend bool operator==(const ReadOnlyProperty& p, const T& value) { return p.Get() == value; }

 private:
  Getter get_;
};

template <typename T>
class Property : public PropertyValueMethods<Property<T>, T> {
 public:
  using Getter = std::function<T()>;
  using Setter = std::function<void(const T&)>;

  Property(Getter getter, Setter setter) : get_(std::move(getter)), set_(std::move(setter)) {}
  Property(const Property&) = delete;

  T Get() const { return get_(); }
  void Set(const T& value) { set_(value); }
  operator T() const { return get_(); }
  T operator->() const requires std::is_pointer_v<T> { return get_(); }

  Property& operator=(const T& value) {
    set_(value);
    return *this;
  }
  Property& operator=(const Property& other) {
    set_(other.Get());
    return *this;
  }
  template <typename U>
  Property& operator=(const ReadOnlyProperty<U>& other) {
    set_(other.Get());
    return *this;
  }

  friend bool operator==(const Property& p, const T& value) { return p.Get() == value; }

 private:
  Getter get_;
  Setter set_;
};

// An indexed property: `Items->Strings[i]`, `StatusBar1->Panels->Items[0]`.
// Without a setter the elements are read-only.
template <typename T>
class IndexedProperty {
 public:
  using Getter = std::function<T(int)>;
  using Setter = std::function<void(int, const T&)>;

  class Element {
   public:
    operator T() const { return owner_.get_(index_); }
    T operator->() const requires std::is_pointer_v<T> { return owner_.get_(index_); }
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

  explicit IndexedProperty(Getter getter, Setter setter = nullptr) : get_(std::move(getter)), set_(std::move(setter)) {}
  IndexedProperty(const IndexedProperty&) = delete;
  IndexedProperty& operator=(const IndexedProperty&) = delete;

  Element operator[](int index) const { return Element(*this, index); }
  T Get(int index) const { return get_(index); }

 private:
  void Put(int index, const T& value) const {
    if (set_) set_(index, value);
  }
  Getter get_;
  Setter set_;
};
