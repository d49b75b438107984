#pragma once

// A Feed's end of the Feed socket, plain POSIX and blocking. A program becomes a Feed in a few lines:
//
//   orlex::TFeedClient feed(orlex::FeedSocketPath());
//   feed.SendPacket(0, "2;k1;\"Engine Speed\";1;k2;\"Coolant Temp\";2;");  // INIT, answers 1
//   feed.SendPacket(1, "k1,1500;k2,87.5;");                                // values, answers 1
//
// Every call waits for the display's reply. Failures throw TFeedError.

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orlex {

class TFeedError : public std::runtime_error {
 public:
  enum class TKind {
    NoDisplay,       // nothing answers on the path (no socket file, or nobody listening)
    ConnectionLost,  // the display closed the connection before it replied
    TooLong,         // the text does not fit the 16 MiB payload limit
    BadPath,         // the path cannot be used (too long, or an unsafe directory)
    System,          // any other failure of the socket calls
  };
  TFeedError(TKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  TKind Kind() const { return kind_; }

 private:
  TKind kind_;
};

class TFeedClient {
 public:
  // Connects at once; throws TFeedError (NoDisplay when nothing answers).
  explicit TFeedClient(const std::string& path);
  // Retries every 100 ms for up to `wait` while nothing answers (a display that is still starting).
  static TFeedClient Connect(const std::string& path, std::chrono::milliseconds wait);

  TFeedClient(TFeedClient&& other) noexcept;
  TFeedClient& operator=(TFeedClient&& other) noexcept;
  TFeedClient(const TFeedClient&) = delete;
  TFeedClient& operator=(const TFeedClient&) = delete;
  ~TFeedClient();

  // Sends one request and returns the display's result. `payload` goes as it is.
  int32_t Send(uint32_t msg, uint32_t data, std::string_view payload);
  // A copy-data packet: the text with its terminating NUL, as the display expects it.
  int32_t SendPacket(uint32_t kind, std::string_view text);
  // A control message (hide all, disable or enable checking): no payload.
  int32_t SendControl(uint32_t msg) { return Send(msg, 0, {}); }

  const std::string& Path() const { return path_; }
  // The process id of the display at the other end, from the socket's peer credentials; -1 when the
  // connection is closed or the system does not say.
  long PeerProcessId() const;

 private:
  TFeedClient() = default;
  int32_t Exchange();  // sends frame_, waits for the reply
  void Close();

  std::string path_;
  int fd_ = -1;
  std::string frame_;  // reused between sends
};

// A packet field in double quotes, with every double quote inside doubled: the form a key,
// description or key,value pair needs when it holds spaces, semicolons or quotes.
std::string QuoteFeedField(std::string_view text);

}  // namespace orlex
