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
  bench              Send an INIT packet of 60 PIDs, then PID packets of 60 values, and print round
                     trips per second and the median and 99th percentile latency; then the same
                     against a plain echo server on a socket of the same kind, and the ratio.

Options:
  --socket PATH      The display's socket. Default: $ORLEXGAUGES_SOCKET, else
                     $XDG_RUNTIME_DIR/orlexgauges.sock, else /tmp/orlexgauges-<uid>/orlexgauges.sock.
  --wait SECONDS     Keep trying to connect for up to SECONDS while no display answers.
  --interval MS      demo: milliseconds between PID packets (default 200).
  --count N          bench: number of PID packets timed (default 20000).
  --html             bench: descriptions with HTML tags (bold, a colour and a link) instead of plain text.
  --help             Show this text.

Exit status: 0 when the display replied, 1 when no display answers or the connection failed,
2 on bad usage.
)";

struct TUsageError {
  std::string message;
};

struct TOptions {
  std::string socket;
  double waitSeconds = 0;
  std::optional<long> intervalMs;
  std::optional<size_t> count;
  bool html = false;
  bool help = false;
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
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
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
    } else {
      throw TUsageError{"unknown option " + arg};
    }
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

int RunDemo(const TOptions& options) {
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

int RunBench(const TOptions& options) {
  const size_t count = options.count.value_or(20000);
  orlexfeed::TBenchFigures display;
  {
    orlex::TFeedClient client = ConnectTo(options);
    display = orlexfeed::RunBench(client, count, options.html);
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
  int32_t result = 0;
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
