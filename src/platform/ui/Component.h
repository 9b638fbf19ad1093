#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Object.h"

enum TComponentStateFlag { csLoading, csReading, csWriting, csDestroying, csDesigning };

// A small set of component state flags, bit n for the flag of ordinal n.
class TComponentState {
 public:
  bool Contains(TComponentStateFlag f) const { return FBits & (1u << f); }
  void Include(TComponentStateFlag f) { FBits |= 1u << f; }
  void Exclude(TComponentStateFlag f) { FBits &= ~(1u << f); }

 private:
  uint32_t FBits = 0;
};

enum TOperation { opInsert, opRemove };

// A component with an owner. The owner frees the components it owns, last created first,
// when it is destroyed; a component freed earlier leaves its owner's list.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& value) { FName = value; }
  int ComponentCount() const { return int(FComponents.size()); }
  TComponent* Components(int index) const { return FComponents[size_t(index)]; }
  const TComponentState& ComponentState() const { return FComponentState; }

  // The loading state: the design's property values are being applied. Loaded ends it.
  void BeginLoading() { FComponentState.Include(csLoading); }
  virtual void Loaded();
  void SetDesigning(bool value);

  // Sent to the owner (and the owned components) when a component is inserted or removed.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

 protected:
  TComponentState FComponentState;

 private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

  TComponent* FOwner = nullptr;
  std::string FName;
  std::vector<TComponent*> FComponents;
};
