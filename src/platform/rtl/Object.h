#pragma once
#include <functional>
#include <string>

class TObject {
 public:
  virtual ~TObject() = default;
  // The class's own name ("TVrPalette"), as messages about objects show it.
  std::string ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// An object whose state can be copied from another object of a compatible class.
class TPersistent : public TObject {
 public:
  // Copies Source's state; a Source this class does not understand (or none) raises
  // EConvertError "Impossible d'affecter <source class> à <this class>".
  virtual void Assign(const TPersistent* Source);

 protected:
  // Lets the source copy itself into Dest when Dest does not know the source's class.
  virtual void AssignTo(TPersistent* Dest) const;
};

// The error text of a failed assignment; "nil" stands for no source.
std::string AssignErrorText(const TObject* Source, const TObject* Dest);
