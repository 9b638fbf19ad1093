#include "platform/rtl/Object.h"

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "platform/rtl/Exception.h"

std::string TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                   &std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

std::string AssignErrorText(const TObject* Source, const TObject* Dest) {
  const std::string from = Source ? Source->ClassName() : "nil";
  return "Impossible d'affecter " + from + " \u00e0 " + Dest->ClassName();
}

void TPersistent::Assign(const TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  throw EConvertError(AssignErrorText(nullptr, this));
}

void TPersistent::AssignTo(TPersistent* Dest) const { throw EConvertError(AssignErrorText(this, Dest)); }
