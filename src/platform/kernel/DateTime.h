#pragma once

// Local wall-clock date and time as days since 1899-12-30, fraction = time of day.
using TDateTime = double;

constexpr double MSecsPerDay = 86400000.0;

// From the real-time clock and the local time zone, to the millisecond.
TDateTime Now();
// The same unit from a Unix time in milliseconds and the local zone's offset at that time.
TDateTime UnixMsToDateTime(long long unixMs, long utcOffsetSeconds);
// The same unit from a calendar date (proleptic Gregorian) and a time of day.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms);
