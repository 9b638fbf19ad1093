#pragma once
#include <cstdint>
#include <initializer_list>
#include <type_traits>

#include "platform/ui/Component.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Object.h"

// The serial component's failure: one message text.
class EVaCommError : public Exception {
 public:
  using Exception::Exception;
};

// A set of enumeration members held in the bits of Storage: the member of ordinal n is bit n.
template <class E, class Storage>
class TVaSet {
  static_assert(std::is_enum_v<E> && std::is_unsigned_v<Storage>);

 public:
  constexpr TVaSet() = default;
  constexpr TVaSet(std::initializer_list<E> members) {
    for (E m : members) Include(m);
  }
  static constexpr TVaSet FromBits(Storage bits) {
    TVaSet s;
    s.FBits = bits;
    return s;
  }

  constexpr bool Contains(E m) const { return (FBits >> unsigned(m)) & 1u; }
  constexpr void Include(E m) { FBits = Storage(FBits | (Storage(1) << unsigned(m))); }
  constexpr void Exclude(E m) { FBits = Storage(FBits & ~(Storage(1) << unsigned(m))); }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr Storage Bits() const { return FBits; }
  constexpr bool operator==(const TVaSet&) const = default;

 private:
  Storage FBits = 0;
};

// Notifying base of the component's settings sub-objects: Changed tells the owner, and a
// BeginUpdate/EndUpdate pair folds the changes in between into one notification.
class TVaPersistent : public TPersistent {
 public:
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  int FUpdateCount = 0;
};

// Base of the serial component.
class TVaComponent : public TComponent {
 public:
  explicit TVaComponent(TComponent* AOwner) : TComponent(AOwner) {}
};
