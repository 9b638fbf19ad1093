#pragma once
#include <cstdint>
#include <string>

// The configuration file: a text file whose first word is the serial port number. Only
// that word counts; the rest of the file is ignored and the file is never written.
constexpr const char* ConfigFileName = "OrvelAX9.ini";

// True when FileName names an existing file (not a folder).
bool ConfigFileExists(const std::string& FileName);

// Reads the first word of FileName, after any white space (blanks, tabs, line breaks), as a
// signed integer: decimal, or hexadecimal after "$", "x" or "0x". The word ends at the next
// white space or control character and is at most 32 characters long. Returns it modulo 256.
// A file holding nothing but white space gives 0. Raises EInOutError when the file cannot be
// opened or read, is not a plain file (a pipe, a device), or the word is not a number (that
// includes numbers beyond 32 bits).
uint8_t ReadPortNumber(const std::string& FileName);

// The number a word stands for, by the rules above; false when it is not one.
bool ParsePortWord(const std::string& Word, int32_t& Value);
