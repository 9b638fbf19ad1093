#pragma once
#include "platform/rtl/Exception.h"

// Picture data that cannot be decoded, or a size a bitmap cannot take.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// No embedded resource of that name.
class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};
