#include "tools/FeedRecording.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/FeedClient.h"
#include "platform/FeedFrame.h"
#include "tools/FeedRelay.h"
#include "tools/core/CsvExport.h"
#include "tools/core/Recording.h"
#include "tools/core/ReplayPlan.h"

namespace orlexfeed {

namespace rec = orlex::recording;

namespace {

int gStopWrite = -1;
volatile sig_atomic_t gReplayInterrupted = 0;

void OnReplayInterrupt(int) { gReplayInterrupted = 1; }

// Waits until `due`, in short steps so that Ctrl+C ends the wait; false when interrupted.
bool WaitUntil(std::chrono::steady_clock::time_point due) {
  for (;;) {
    if (gReplayInterrupted) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= due) return true;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(due - now, std::chrono::milliseconds(50)));
  }
}

void OnStopSignal(int) {
  const int saved = errno;
  if (gStopWrite >= 0) (void)!write(gStopWrite, "x", 1);
  errno = saved;
}

rec::TRecording LoadRecording(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file + ": " + std::strerror(errno));
  std::stringstream bytes;
  bytes << in.rdbuf();
  rec::TRecording recording = rec::ReadRecording(bytes.str());
  const std::string problem = rec::DescribeReadStatus(recording, file);
  if (!recording.Usable()) throw std::runtime_error(problem);
  if (!problem.empty()) std::cerr << "orlex-feed: " << problem << "." << std::endl;
  return recording;
}

std::string FrameName(const rec::TExchange& exchange) {
  if (exchange.msg == orlex::kMsgCopyData) {
    switch (exchange.data) {
      case 0: return "INIT packet";
      case 1: return "PID packet";
      case 4: return "save request";
      default: return "packet of kind " + std::to_string(exchange.data);
    }
  }
  char text[32];
  std::snprintf(text, sizeof(text), "message 0x%" PRIX32, exchange.msg);
  return text;
}

std::string OutcomeText(rec::TOutcome outcome, int32_t result) {
  return outcome == rec::TOutcome::Replied ? "reply " + std::to_string(result) : "connection closed without a reply";
}

}  // namespace

int RunRecord(const TRecordArgs& args) {
  std::string privateDir;
  std::string listen = args.listen;
  if (listen.empty()) {
    char pattern[] = "/tmp/orlex-feed-record-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error(std::string("cannot make a directory: ") + std::strerror(errno));
    privateDir = pattern;
    listen = privateDir + "/feed.sock";
  }
  struct TRemoveDir {
    std::string dir;
    ~TRemoveDir() {
      std::error_code ignored;
      if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
    }
  } removeDir{privateDir};

  int stopPipe[2];
  if (pipe2(stopPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
  gStopWrite = stopPipe[1];
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  // Listening first: a relay that cannot listen leaves an existing file as it was.
  TFeedRelay relay(listen, args.displayPath);
  const int fd = ::open(args.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot write " + args.out + ": " + std::strerror(errno));
  rec::TRecordingWriter writer(fd, [file = args.out](const std::string& problem) {
    std::cerr << "orlex-feed record: cannot write " << file << " (" << problem
              << "); relaying goes on, the recording ends at its last complete record." << std::endl;
  });
  TRelayFigures figures;
  {
    std::cout << "orlex-feed record: listening on " << listen << "\n"
              << "  point the Feed at it: ORLEXGAUGES_SOCKET=" << listen << "\n"
              << "  relaying to " << args.displayPath << ", recording to " << args.out << "; Ctrl+C stops."
              << std::endl;
    relay.Run(stopPipe[0], writer);
    figures = relay.Figures();
  }
  gStopWrite = -1;
  ::close(stopPipe[0]);
  ::close(stopPipe[1]);
  const bool written = writer.Finish();
  std::cout << "orlex-feed record: " << figures.connections << " connections, " << figures.frames << " frames, "
            << figures.replies << " replies" << (written ? " recorded in " : ", but not all of them written to ")
            << args.out << "." << std::endl;
  return written ? 0 : 1;
}

int RunReplay(const TReplayArgs& args) {
  rec::TRecording recording = LoadRecording(args.file);
  const std::vector<rec::TExchange> exchanges = rec::PairExchanges(std::move(recording.events));
  rec::TReplayWindow window;
  window.speed = args.speed;
  window.fromSeconds = args.fromSeconds;
  window.toSeconds = args.toSeconds;
  const std::vector<rec::TReplayStep> steps = rec::PlanReplay(exchanges, window);
  if (steps.empty()) {
    std::cout << "orlex-feed replay: no frames to send." << std::endl;
    return 0;
  }
  const auto wait = std::chrono::milliseconds(static_cast<long long>(args.waitSeconds * 1000));
  // Ctrl+C ends a replay (a loop, above all) with its summary.
  struct sigaction action {};
  action.sa_handler = OnReplayInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  size_t sent = 0;
  size_t differ = 0;
  do {
    // One connection per recorded one, opened when its first frame is due, as the Feeds did.
    std::map<uint32_t, orlex::TFeedClient> clients;
    const auto start = std::chrono::steady_clock::now();
    for (const rec::TReplayStep& step : steps) {
      const rec::TExchange& exchange = exchanges[step.exchange];
      if (!WaitUntil(start + std::chrono::microseconds(step.dueMicros))) break;
      auto client = clients.find(exchange.connection);
      if (client == clients.end()) {
        client = clients.emplace(exchange.connection, orlex::TFeedClient::Connect(args.displayPath, wait)).first;
      }
      rec::TOutcome outcome = rec::TOutcome::Replied;
      int32_t result = 0;
      try {
        result = client->second.Send(exchange.msg, exchange.data, exchange.payload);
      } catch (const orlex::TFeedError& error) {
        if (error.Kind() != orlex::TFeedError::TKind::ConnectionLost) throw;
        outcome = rec::TOutcome::Closed;
        clients.erase(client);
      }
      ++sent;
      if (exchange.outcome != rec::TOutcome::Unknown &&
          (exchange.outcome != outcome || (outcome == rec::TOutcome::Replied && exchange.result != result))) {
        ++differ;
        std::cout << rec::RecordingSeconds(exchange.micros) << " s, connection " << exchange.connection << ", "
                  << FrameName(exchange) << ": recorded " << OutcomeText(exchange.outcome, exchange.result)
                  << ", now " << OutcomeText(outcome, result) << std::endl;
      }
    }
  } while (args.loop && !gReplayInterrupted);
  std::cout << "orlex-feed replay: " << (gReplayInterrupted ? "interrupted; " : "") << sent << " frames sent, "
            << (differ == 0 ? std::string("every reply as recorded")
                            : std::to_string(differ) + (differ == 1 ? " reply differs" : " replies differ") +
                                  " from the recording")
            << "." << std::endl;
  return differ == 0 ? 0 : kRepliesDiffer;
}

int RunExport(const TExportArgs& args) {
  rec::TRecording recording = LoadRecording(args.file);
  const std::vector<rec::TExchange> exchanges = rec::PairExchanges(std::move(recording.events));
  std::ofstream file;
  std::error_code ignored;
  if (!args.out.empty() && std::filesystem::equivalent(args.file, args.out, ignored)) {
    throw std::runtime_error("the CSV would overwrite the recording " + args.file);
  }
  if (!args.out.empty()) {
    file.open(args.out, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("cannot write " + args.out + ": " + std::strerror(errno));
  }
  std::ostream& out = args.out.empty() ? std::cout : file;
  if (args.wide) {
    rec::WriteWideCsv(exchanges, out);
  } else {
    rec::WriteLongCsv(exchanges, out);
  }
  out.flush();
  if (!out) throw std::runtime_error("cannot write " + (args.out.empty() ? std::string("the output") : args.out));
  return 0;
}

}  // namespace orlexfeed
