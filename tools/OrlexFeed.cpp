// orlex-feed: a Feed on the command line. Sends any packet kind or control message to the display
// and prints its result, runs a demo Feed, and measures round trips.

#include <langinfo.h>

#include <charconv>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FeedClient.h"
#include "platform/FeedFrame.h"
#include "platform/FeedPath.h"
#include "tools/FeedBench.h"
#include "tools/FeedDemo.h"
#include "tools/FeedRateBench.h"
#include "tools/FeedRecording.h"

namespace {

constexpr const char* kHelp = R"(Usage: orlex-feed [OPTIONS] MODE [ARGUMENTS]

A Feed for the Orlex Gauges display: sends it packets and control messages over its socket and
prints the display's result (a number) for each.

Modes:
  send KIND TEXT     Send a copy-data packet of kind KIND (0 INIT, 1 PID values, 4 save request,
                     any other number is answered 0) with TEXT; TEXT "-" reads it from standard input.
                     Examples:  send 0 '2;k1;"Engine Speed";1;k2;d2;2;'    send 1 'k1,1500;k2,87.5;'
  hide-all           Hide every PID window (message 0x464).
  disable-checking   Stop threshold colouring in every PID window (message 0x465).
  enable-checking    Resume threshold colouring in every PID window (message 0x466).
  save               Ask the display to save its settings (kind 4); it answers once its "saved"
                     box has been closed.
  demo               Act as a Feed: an INIT packet of 20 engine and sensor PIDs, then their values
                     every 200 ms, drifting smoothly and written with this locale's decimal
                     separator. Runs until the display goes away or it is interrupted (Ctrl+C).
  bench              Send an INIT packet of 60 PIDs (keys P01 to P60), then PID packets of 60 values,
                     and print round trips per second and the median and 99th percentile latency;
                     then the same against a plain echo server on a socket of the same kind, and
                     the ratio. With --rate: packets at that rate for --seconds instead, and the
                     display's CPU use (% of one core), paints per second and resident memory.

Recording a session:
  record --out FILE  Relay between a Feed and the display, recording every frame with its time and
                     every reply in FILE. Listens on --listen PATH, or on a fresh path it prints;
                     start the Feed with ORLEXGAUGES_SOCKET set to that path. Ctrl+C stops.
  replay FILE        Send the frames of a recording to the display with their recorded gaps, and
                     report every reply that differs from the recorded one.
  export FILE --csv  Write the recorded PID values as CSV (time,key,description,value), one row per
                     value; with --wide one row per PID packet and a column per key.

demo and bench replace the display's PID table with their own PIDs; when the display saves, it
writes their arrangement under their keys (and keeps every other key's). Give bench keys of its own
with --keys-prefix when yours could be P01 to P60.

Options:
  --socket PATH      The display's socket. Default: $ORLEXGAUGES_SOCKET, else
                     $XDG_RUNTIME_DIR/orlexgauges.sock, else /tmp/orlexgauges-<uid>/orlexgauges.sock.
  --wait SECONDS     Keep trying to connect for up to SECONDS while no display answers.
  --interval MS      demo: milliseconds between PID packets (default 200).
  --count N          bench: number of PID packets timed (default 20000).
  --rate R           bench: send R packets per second (1 to 1000) and measure the display's cost.
  --seconds S        bench --rate: measure for S seconds (default 10), after one second to settle.
  --keys-prefix TEXT bench: keys are TEXT01 to TEXT60 (default P); no blanks, ";", "," or '"'.
  --html             bench: descriptions with HTML tags (bold, a colour and a link) instead of plain text.
  --out FILE         record: the recording to write; export: the CSV file (default: standard output).
  --listen PATH      record: the socket the relay listens on.
  --speed X          replay: recorded gaps divided by X (default 1; 0: as fast as the display answers).
  --loop             replay: start again from the beginning at the end, until interrupted.
  --from SECONDS     replay: start at this time of the recording (its last INIT packet before it is
                     sent first).
  --to SECONDS       replay: stop after this time of the recording.
  --csv              export: write CSV (the one format there is).
  --wide             export: one row per PID packet, a column per key.
  --help             Show this text.
  --version          Show the version.
Every option taking a value may also be written --option=value.

Exit status: 0 when the display replied, 1 when no display answers or the connection failed,
2 on bad usage, 3 when replay got replies that differ from the recorded ones.
)";

struct TUsageError {
  std::string message;
};

struct TOptions {
  std::string socket;
  double waitSeconds = 0;
  std::optional<long> intervalMs;
  std::optional<size_t> count;
  std::optional<std::string> keysPrefix;
  std::optional<double> rate;
  std::optional<double> seconds;
  bool html = false;
  std::optional<std::string> out;
  std::optional<std::string> listen;
  std::optional<double> speed;
  bool loop = false;
  std::optional<double> fromSeconds;
  std::optional<double> toSeconds;
  bool csv = false;
  bool wide = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> words;  // the mode and its arguments
};

template <typename T>
T ParseNumber(const std::string& text, const char* what) {
  T value{};
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    throw TUsageError{std::string(what) + " must be a number, not '" + text + "'"};
  }
  return value;
}

TOptions ParseOptions(int argc, char** argv) {
  TOptions options;
  bool onlyWords = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    // "--name=value" is "--name value"; the value may itself hold "=".
    std::optional<std::string> inlineValue;
    if (!onlyWords && arg.compare(0, 2, "--") == 0) {
      const std::size_t equals = arg.find('=');
      if (equals != std::string::npos) {
        inlineValue = arg.substr(equals + 1);
        arg.resize(equals);
      }
    }
    bool valueUsed = false;
    const auto value = [&]() -> std::string {
      valueUsed = true;
      if (inlineValue) return *inlineValue;
      if (i + 1 >= argc) throw TUsageError{arg + " needs a value"};
      return argv[++i];
    };
    if (onlyWords || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (arg == "-h" && !onlyWords) {
        options.help = true;
      } else {
        options.words.push_back(arg);
      }
    } else if (arg == "--") {
      onlyWords = true;
    } else if (arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--socket") {
      options.socket = value();
      if (options.socket.empty()) throw TUsageError{"--socket needs a path"};
    } else if (arg == "--wait") {
      options.waitSeconds = ParseNumber<double>(value(), "--wait");
      if (!(options.waitSeconds >= 0 && options.waitSeconds <= 86400)) throw TUsageError{"--wait is out of range"};
    } else if (arg == "--interval") {
      options.intervalMs = ParseNumber<long>(value(), "--interval");
      if (*options.intervalMs < 1 || *options.intervalMs > 3600000) throw TUsageError{"--interval is out of range"};
    } else if (arg == "--html") {
      options.html = true;
    } else if (arg == "--count") {
      options.count = ParseNumber<size_t>(value(), "--count");
      if (*options.count == 0) throw TUsageError{"--count must be at least 1"};
    } else if (arg == "--rate") {
      options.rate = ParseNumber<double>(value(), "--rate");
      if (!(*options.rate >= 1 && *options.rate <= 1000)) throw TUsageError{"--rate is out of range (1 to 1000)"};
    } else if (arg == "--seconds") {
      options.seconds = ParseNumber<double>(value(), "--seconds");
      if (!(*options.seconds >= 0.1 && *options.seconds <= 86400)) throw TUsageError{"--seconds is out of range"};
    } else if (arg == "--keys-prefix") {
      options.keysPrefix = value();
      if (!orlexfeed::IsBenchKeyPrefix(*options.keysPrefix)) {
        throw TUsageError{"--keys-prefix must be a plain word without blanks, ';', ',' or '\"'"};
      }
    } else if (arg == "--out" || arg == "--listen") {
      (arg == "--out" ? options.out : options.listen) = value();
      if ((arg == "--out" ? options.out : options.listen)->empty()) throw TUsageError{arg + " needs a path"};
    } else if (arg == "--speed") {
      options.speed = ParseNumber<double>(value(), "--speed");
      if (!(*options.speed >= 0 && *options.speed <= 1e6)) throw TUsageError{"--speed is out of range"};
    } else if (arg == "--from" || arg == "--to") {
      const double seconds = ParseNumber<double>(value(), arg.c_str());
      if (!(seconds >= 0 && seconds <= 1e9)) throw TUsageError{arg + " is out of range"};
      (arg == "--from" ? options.fromSeconds : options.toSeconds) = seconds;
    } else if (arg == "--loop" || arg == "--csv" || arg == "--wide") {
      (arg == "--loop" ? options.loop : arg == "--csv" ? options.csv : options.wide) = true;
    } else {
      throw TUsageError{"unknown option " + arg};
    }
    if (inlineValue && !valueUsed) throw TUsageError{arg + " takes no value"};
  }
  return options;
}

uint32_t ParseKind(const std::string& text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint32_t value{};
    const auto result = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
    if (result.ec == std::errc() && result.ptr == text.data() + text.size()) return value;
  } else {
    return ParseNumber<uint32_t>(text, "KIND");
  }
  throw TUsageError{"KIND must be a number, not '" + text + "'"};
}

std::string ReadAllStdin() {
  std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  return text;
}

orlex::TFeedClient ConnectTo(const TOptions& options) {
  const std::string path = options.socket.empty() ? orlex::FeedSocketPath() : options.socket;
  return orlex::TFeedClient::Connect(
      path, std::chrono::milliseconds(static_cast<long long>(options.waitSeconds * 1000)));
}

std::string LocaleRadix() {
  const char* radix = nl_langinfo(RADIXCHAR);
  return radix != nullptr && *radix != '\0' ? radix : ".";
}

// Said before the INIT packet goes out: it takes the display over from whatever Feed it was showing.
void WarnOfReplacing(const char* mode, const char* whose) {
  std::cerr << "orlex-feed: " << mode << " replaces the display's PID table with " << whose
            << "; the display saves their arrangement under their keys." << std::endl;
}

int RunDemo(const TOptions& options) {
  const std::string whose = "its " + std::to_string(orlexfeed::DemoPidCount()) + " demo PIDs (keys RPM, VSS, ECT...)";
  WarnOfReplacing("demo", whose.c_str());
  orlex::TFeedClient client = ConnectTo(options);
  const int32_t initResult = client.SendPacket(0, orlexfeed::DemoInitPacket());
  const auto interval = std::chrono::milliseconds(options.intervalMs.value_or(200));
  std::cout << "orlex-feed demo: " << orlexfeed::DemoPidCount() << " PIDs sent to " << client.Path()
            << " (result " << initResult << "), values every " << interval.count() << " ms; Ctrl+C stops."
            << std::endl;
  const std::string radix = LocaleRadix();
  const auto start = std::chrono::steady_clock::now();
  auto next = start;
  try {
    for (;;) {
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      client.SendPacket(1, orlexfeed::DemoValuesPacket(seconds, radix));
      next += interval;
      std::this_thread::sleep_until(next);
    }
  } catch (const orlex::TFeedError& error) {
    if (error.Kind() != orlex::TFeedError::TKind::ConnectionLost) throw;
    std::cout << "orlex-feed demo: the display went away." << std::endl;
    return 0;
  }
}

void PrintFigures(const char* name, const orlexfeed::TBenchFigures& figures) {
  std::printf("%-9s %zu round trips in %.3f s: %.0f round trips/s, p50 %.1f us, p99 %.1f us", name,
              figures.count, figures.seconds, figures.RoundTripsPerSecond(), figures.p50Micros, figures.p99Micros);
  if (figures.notOne != 0) std::printf(" (%zu replies were not 1)", figures.notOne);
  std::printf("\n");
}

int RunRateBench(const TOptions& options, const std::string& prefix) {
  orlex::TFeedClient client = ConnectTo(options);
  const orlexfeed::TRateFigures f =
      orlexfeed::RunRateBench(client, *options.rate, options.seconds.value_or(10), prefix, options.html);
  std::printf("display: %zu packets in %.3f s (%.1f/s), p50 %.1f us, p99 %.1f us", f.sent, f.seconds,
              f.seconds > 0 ? f.sent / f.seconds : 0.0, f.p50Micros, f.p99Micros);
  if (f.notOne != 0) std::printf(" (%zu replies were not 1)", f.notOne);
  std::printf("\n");
  if (f.displayPid > 0) {
    std::printf("display process %ld: ", f.displayPid);
  } else {
    std::printf("display process unknown: ");
  }
  if (f.cpuPercent >= 0) {
    std::printf("cpu %.2f %% of one core", f.cpuPercent);
  } else {
    std::printf("cpu not readable");
  }
  if (f.paintsPerSecond >= 0) {
    std::printf(", paints/s %.1f", f.paintsPerSecond);
  } else {
    std::printf(", paints/s not reported by this display");
  }
  if (f.residentKiB >= 0) {
    std::printf(", resident %.1f MiB\n", f.residentKiB / 1024.0);
  } else {
    std::printf(", resident memory not readable\n");
  }
  return 0;
}

int RunBench(const TOptions& options) {
  const size_t count = options.count.value_or(20000);
  const std::string prefix = options.keysPrefix.value_or(orlexfeed::kBenchKeysPrefix);
  const std::string whose = "60 bench PIDs (keys " + prefix + "01 to " + prefix + "60)";
  WarnOfReplacing("bench", whose.c_str());
  if (options.rate) return RunRateBench(options, prefix);
  orlexfeed::TBenchFigures display;
  {
    orlex::TFeedClient client = ConnectTo(options);
    display = orlexfeed::RunBench(client, count, prefix, options.html);
  }
  PrintFigures("display:", display);
  std::fflush(stdout);
  const orlexfeed::TBenchFigures baseline = orlexfeed::RunBaseline(count);
  PrintFigures("baseline:", baseline);
  std::printf("ratio display/baseline: %.2f\n",
              baseline.RoundTripsPerSecond() > 0 ? display.RoundTripsPerSecond() / baseline.RoundTripsPerSecond() : 0.0);
  return 0;
}

int Run(const TOptions& options) {
  const std::vector<std::string>& w = options.words;
  const std::string& mode = w[0];
  const auto expectArguments = [&](size_t least, size_t most) {
    if (w.size() - 1 < least || w.size() - 1 > most) throw TUsageError{"wrong number of arguments for " + mode};
  };
  if (options.html && mode != "bench") throw TUsageError{"--html belongs to bench"};
  if ((options.intervalMs && mode != "demo") || (options.count && mode != "bench")) {
    throw TUsageError{options.intervalMs ? "--interval belongs to demo" : "--count belongs to bench"};
  }
  if (options.keysPrefix && mode != "bench") throw TUsageError{"--keys-prefix belongs to bench"};
  if ((options.rate || options.seconds) && mode != "bench") throw TUsageError{"--rate and --seconds belong to bench"};
  if (options.seconds && !options.rate) throw TUsageError{"--seconds needs --rate"};
  if (options.rate && options.count) throw TUsageError{"--count and --rate do not go together"};
  const bool recordOptions = options.listen.has_value();
  const bool replayOptions = options.speed || options.loop || options.fromSeconds || options.toSeconds;
  const bool exportOptions = options.csv || options.wide;
  if ((recordOptions && mode != "record") || (replayOptions && mode != "replay") ||
      (exportOptions && mode != "export") || (options.out && mode != "record" && mode != "export")) {
    throw TUsageError{"an option of record, replay or export was given to " + mode};
  }
  int32_t result = 0;
  if (mode == "record") {
    expectArguments(0, 0);
    if (!options.out) throw TUsageError{"record needs --out FILE"};
    const std::string display = options.socket.empty() ? orlex::FeedSocketPath() : options.socket;
    if (options.listen && *options.listen == display) throw TUsageError{"record cannot listen on the display's own socket"};
    return orlexfeed::RunRecord({*options.out, options.listen.value_or(""), display});
  }
  if (mode == "replay") {
    expectArguments(1, 1);
    if (options.fromSeconds && options.toSeconds && *options.fromSeconds > *options.toSeconds) {
      throw TUsageError{"--from is after --to"};
    }
    return orlexfeed::RunReplay({w[1], options.speed.value_or(1), options.loop, options.fromSeconds, options.toSeconds,
                                 options.socket.empty() ? orlex::FeedSocketPath() : options.socket,
                                 options.waitSeconds});
  }
  if (mode == "export") {
    expectArguments(1, 1);
    if (!options.csv) throw TUsageError{"export needs --csv (the one format it writes)"};
    return orlexfeed::RunExport({w[1], options.wide, options.out.value_or("")});
  }
  if (mode == "send") {
    expectArguments(2, 2);
    const uint32_t kind = ParseKind(w[1]);
    const std::string text = w[2] == "-" ? ReadAllStdin() : w[2];
    result = ConnectTo(options).SendPacket(kind, text);
  } else if (mode == "hide-all" || mode == "disable-checking" || mode == "enable-checking") {
    expectArguments(0, 0);
    const uint32_t msg = mode == "hide-all"           ? orlex::kMsgHideAll
                         : mode == "disable-checking" ? orlex::kMsgDisableChecking
                                                      : orlex::kMsgEnableChecking;
    result = ConnectTo(options).SendControl(msg);
  } else if (mode == "save") {
    expectArguments(0, 0);
    result = ConnectTo(options).SendPacket(4, "");
  } else if (mode == "demo") {
    expectArguments(0, 0);
    return RunDemo(options);
  } else if (mode == "bench") {
    expectArguments(0, 0);
    return RunBench(options);
  } else {
    throw TUsageError{"unknown mode '" + mode + "'"};
  }
  std::cout << result << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");  // the demo writes values with this locale's decimal separator
  try {
    const TOptions options = ParseOptions(argc, argv);
    if (options.help) {
      std::cout << kHelp;
      return 0;
    }
    if (options.version) {
      std::cout << "orlex-feed (Orlex Gauges) " << ORLEX_VERSION << std::endl;
      return 0;
    }
    if (options.words.empty()) throw TUsageError{"no mode given"};
    return Run(options);
  } catch (const TUsageError& error) {
    std::cerr << "orlex-feed: " << error.message << "\nTry 'orlex-feed --help'." << std::endl;
    return 2;
  } catch (const orlex::TFeedError& error) {
    std::cerr << "orlex-feed: " << error.what();
    if (error.Kind() == orlex::TFeedError::TKind::NoDisplay) std::cerr << " (is orlexgauges running?)";
    std::cerr << std::endl;
    return 1;
  } catch (const std::exception& error) {
    std::cerr << "orlex-feed: " << error.what() << std::endl;
    return 1;
  }
}
