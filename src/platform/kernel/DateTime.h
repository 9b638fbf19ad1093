#pragma once

// Local wall-clock date and time as days since 1899-12-30, fraction = time of day.
using TDateTime = double;

constexpr double MSecsPerDay = 86400000.0;

TDateTime Now();
// The same unit from a Unix time in milliseconds and the local zone's offset at that time.
TDateTime UnixMsToDateTime(long long unixMs, long utcOffsetSeconds);
