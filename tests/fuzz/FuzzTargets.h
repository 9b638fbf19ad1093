#pragma once
#include <cstddef>
#include <cstdint>

// The program's two parsers, each as one entry that takes any bytes and must neither crash
// nor break its own rules on them. The fuzzers (scripts/fuzz) call them with generated input;
// the test suite replays the inputs kept under tests/fuzz/inputs/ through them. A broken rule
// aborts, so that the fuzzer keeps the input that did it.

// The bytes as the serial line delivers them: the frame machine, and at each frame end the
// window's decoding and a paint of the window.
void FuzzFrameStream(const uint8_t* Data, size_t Size);

// The bytes as the content of the configuration file, read for its port number; and the
// first word of them parsed as a number, checked against the C library's reading of it.
void FuzzPortFile(const uint8_t* Data, size_t Size);
