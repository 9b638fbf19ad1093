#pragma once
#include <exception>
#include <string>

// Base of every failure the program raises: one message text.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string& Message() const { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

// A value of the wrong kind: a failed assignment between persistent objects, a bad number.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A text file that cannot be opened or read, or a word that is not a number.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

// A format text that does not match its arguments.
class EFormatError : public Exception {
 public:
  using Exception::Exception;
};
