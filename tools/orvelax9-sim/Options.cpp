#include "Options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kHelp[] =
    "Usage: orvelax9-sim [options]\n"
    "\n"
    "Stands in for the AX-9 attitude sensor and the KQ3 compass sensor on one serial line.\n"
    "Opens a pseudo-terminal and plays the two sensors on it. Logs on standard error the\n"
    "device's path (the end a program opens), what it receives and what it answers, one line\n"
    "each: \"line opened\", \"command: 82 E6 04 35 06 00 00 74 83\", \"ack sent\",\n"
    "\"not answered\", \"line closed\".\n"
    "\n"
    "Each well-formed command frame (82, code, N, N payload bytes, checksum, 83) is answered\n"
    "with the acknowledgement 82 FF 01 0A 00 00. The start command (code E6) also starts the\n"
    "data: attitude frames (type 37: roll swinging within +-40, pitch within +-20, mode bits\n"
    "Accel/Gyro/Exceed) and heading frames (type 32: heading turning through 0..359, mode bits\n"
    "2D/3D). Data stops when the program closes the line, until the next start command.\n"
    "\n"
    "Options:\n"
    "  --link PATH           make PATH a symbolic link to the device (a stale link there is\n"
    "                        replaced); removed on exit. For a program that opens COM1:\n"
    "                        --link ~/.config/orvelax9/dosdevices/com1\n"
    "  --print-path          print the device's path on standard output (once the link is\n"
    "                        in place), for scripts that read it\n"
    "  --attitude-rate N     attitude frames per second (default 20; 0 = the AX-9 is silent)\n"
    "  --heading-rate N      heading frames per second (default 10; 0 = the KQ3 is silent)\n"
    "  --rate N|max          both rates at once; max sends attitude and heading frames back\n"
    "                        to back at the line's byte rate (about 1920 bytes/s at 19200)\n"
    "  --baud N              line speed the output is paced at (default 19200, 10 bits a byte)\n"
    "  --no-answer           never acknowledge a command\n"
    "  --answer-only N       acknowledge only the N-th command since the line was opened\n"
    "  --stream-at-once      send data as soon as the line is opened, before any command\n"
    "  --stop-attitude S     the AX-9 falls silent S seconds after its data started\n"
    "  --stop-heading S      the KQ3 falls silent S seconds after its data started\n"
    "  --corrupt P           replace each byte sent by a random one with probability P (0..1)\n"
    "  --drop P              leave out each byte sent with probability P (0..1)\n"
    "  --seed N              seed of the noise, to repeat a run (default: from the clock)\n"
    "  --quiet-after-ack MS  hold data back MS milliseconds after an acknowledgement\n"
    "                        (default 100), so that the acknowledgement arrives on its own\n"
    "  --verbose             also log every data frame sent\n"
    "  --help                this text\n"
    "\n"
    "Ends cleanly on SIGINT, SIGTERM or SIGHUP, with a summary of what it sent.\n";

bool ParseNumber(const char* text, double lo, double hi, double& out) {
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno != 0 || !(v >= lo && v <= hi)) return false;
  out = v;
  return true;
}

}  // namespace

std::optional<SimOptions> ParseOptions(int argc, char** argv, int& exitCode) {
  SimOptions o;
  exitCode = 0;
  auto fail = [&](const std::string& why) {
    std::fprintf(stderr, "orvelax9-sim: %s (see --help)\n", why.c_str());
    exitCode = 2;
    return std::nullopt;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return std::nullopt;
    }
    if (a == "--no-answer") { o.NoAnswer = true; continue; }
    if (a == "--stream-at-once") { o.StreamAtOnce = true; continue; }
    if (a == "--verbose") { o.Verbose = true; continue; }
    if (a == "--print-path") { o.PrintPath = true; continue; }

    if (i + 1 >= argc) return fail("unknown option or missing value: " + a);
    const char* v = argv[++i];
    double d = 0;
    if (a == "--link") {
      o.LinkPath = v;
    } else if (a == "--rate" && std::strcmp(v, "max") == 0) {
      o.MaxRate = true;
    } else if (a == "--rate" || a == "--attitude-rate" || a == "--heading-rate") {
      if (!ParseNumber(v, 0, 10000, d)) return fail("bad rate: " + std::string(v));
      if (a != "--heading-rate") o.AttitudeRate = d;
      if (a != "--attitude-rate") o.HeadingRate = d;
    } else if (a == "--baud") {
      if (!ParseNumber(v, 50, 4000000, d)) return fail("bad baud rate: " + std::string(v));
      o.Baud = int(d);
    } else if (a == "--answer-only") {
      if (!ParseNumber(v, 1, 1e9, d) || d != int(d)) return fail("bad command number: " + std::string(v));
      o.AnswerOnly = int(d);
    } else if (a == "--stop-attitude" || a == "--stop-heading") {
      if (!ParseNumber(v, 0, 1e9, d)) return fail("bad time: " + std::string(v));
      (a == "--stop-attitude" ? o.StopAttitudeAfter : o.StopHeadingAfter) = d;
    } else if (a == "--corrupt" || a == "--drop") {
      if (!ParseNumber(v, 0, 1, d)) return fail("bad probability: " + std::string(v));
      (a == "--corrupt" ? o.CorruptRate : o.DropRate) = d;
    } else if (a == "--seed") {
      if (!ParseNumber(v, 0, 4294967295.0, d)) return fail("bad seed: " + std::string(v));
      o.Seed = uint32_t(d);
    } else if (a == "--quiet-after-ack") {
      if (!ParseNumber(v, 0, 600000, d)) return fail("bad time: " + std::string(v));
      o.QuietAfterAckMs = int(d);
    } else {
      return fail("unknown option: " + a);
    }
  }
  return o;
}
