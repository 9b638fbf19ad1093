#pragma once
#include <cstdio>
#include <string>

// Opens an existing plain file for reading (binary) without ever waiting: a named pipe would
// wait for a writer, a device may never end. Null on failure, with an errno code in `error`:
// EISDIR for a folder, EINVAL for anything else that is not a plain file.
std::FILE* OpenPlainFile(const std::string& name, int& error);
