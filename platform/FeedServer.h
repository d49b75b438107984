#pragma once

// The display's end of the Feed socket: a Unix-domain stream socket on the main thread's event loop.
//
//   orlex::TFeedServer server(orlex::FeedSocketPath(), handler);
//   if (server.AlreadyRunning()) { /* tell the user, exit */ }
//   else if (!server.Listening()) { /* server.ErrorText() says why */ }
//
// Every request, whatever its msg number (unknown ones included, for the caller to answer 0), goes to
// the handler, synchronously on the main thread; its return value is the reply. The handler may
// re-enter the event loop (a modal box, processEvents): meanwhile other connections are served, while
// the same connection's next request waits until this reply is queued. Requests of one connection
// are answered one each, in order. Peers that are neither this user nor root are disconnected unread;
// a header announcing more than 16 MiB closes its connection with no reply and nothing processed.
//
// Handlers nest at most kMaxNesting deep: a request that arrives while that many are running waits,
// unread, until one returns, so a crowd of waiting Feeds cannot grow the stack. At most kMaxConnections
// are open at once (more wait in the listen queue), and what all connections hold beyond a small
// allowance each is bounded by kSharedBudget: a Feed sending a large frame waits for room rather than
// anyone's ordinary packets.
//
// The handler should not throw. If it does, the request is answered 0, the connection carries on, and
// the exception continues to the application's event hook.

#include <sys/types.h>

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ProcessEnd.h"

class QSocketNotifier;

namespace orlex {

class TFeedServer : public QObject {
  Q_OBJECT

 public:
  using THandler = std::function<int32_t(uint32_t msg, uint32_t data, const std::string& payloadText)>;
  // Reads the uid of the peer on a connected socket; nullopt when it cannot be told.
  using TPeerUidReader = std::function<std::optional<uid_t>(int fd)>;

  static constexpr int kMaxNesting = 8;
  static constexpr size_t kMaxConnections = 1024;
  static constexpr size_t kAllowance = 64 * 1024;             // per connection, always granted
  static constexpr size_t kSharedBudget = 64 * 1024 * 1024;  // beyond the allowances, for all together

  // Starts listening at once. When a display already answers on `path` it does not listen and
  // AlreadyRunning() is true; a socket file that nobody answers on is replaced.
  TFeedServer(std::string path, THandler handler, QObject* parent = nullptr);
  // Closes every connection and removes the socket file, unless another display has replaced it.
  ~TFeedServer() override;

  bool Listening() const { return listenFd_ >= 0; }
  bool AlreadyRunning() const { return alreadyRunning_; }
  const std::string& ErrorText() const { return error_; }  // why it is not listening
  const std::string& Path() const { return path_; }
  size_t ConnectionCount() const { return connections_.size(); }
  // Handlers running now, one inside the other, and the most seen at once.
  int Nesting() const { return depth_; }
  int DeepestNesting() const { return deepest_; }
  // Memory the connections hold beyond their allowances.
  size_t SharedHeld() const;

  // Replaces the credential check's source (tests simulate a foreign peer this way).
  void SetPeerUidReader(TPeerUidReader reader) { peerUid_ = std::move(reader); }
  static std::optional<uid_t> ReadPeerUid(int fd);  // SO_PEERCRED

 private:
  struct TConnection;
  using TConnectionPtr = std::shared_ptr<TConnection>;

  void Start();
  bool SomeoneAnswers() const;
  void AcceptPending();
  void OnReadable(const TConnectionPtr& connection);
  void ReadAndServe(const TConnectionPtr& connection);
  void OnWritable(const TConnectionPtr& connection);
  void Serve(const TConnectionPtr& connection);
  void Reply(const TConnectionPtr& connection, int32_t result);
  void Flush(const TConnectionPtr& connection);
  void FinishIfDone(const TConnectionPtr& connection);
  void UpdateNotifiers(const TConnectionPtr& connection);
  void CloseConnection(const TConnectionPtr& connection);
  void Park(const TConnectionPtr& connection);  // until a handler returns or memory is freed
  void ScheduleResume();
  void ResumeParked();
  bool MayRead(const TConnection& connection) const;
  void Recount(TConnection& connection);  // after its decoder has grown or shrunk
  void RemoveOwnSocketFile() const;

  std::string path_;
  std::shared_ptr<const THandler> handler_;  // shared so a running call outlives the server
  TPeerUidReader peerUid_;
  int listenFd_ = -1;
  QSocketNotifier* listenNotifier_ = nullptr;
  dev_t socketDev_ = 0;  // identity of the socket file we bound, so we remove only our own
  ino_t socketIno_ = 0;
  // A display that ends at once (watchdog, packet error) still takes its socket file with it.
  std::unique_ptr<TProcessEndHook> removeAtEnd_;
  bool alreadyRunning_ = false;
  std::string error_;
  std::vector<TConnectionPtr> connections_;
  std::vector<std::weak_ptr<TConnection>> parked_;  // oldest first
  bool resumeScheduled_ = false;
  bool recheckScheduled_ = false;
  size_t sharedHeld_ = 0;
  uint64_t accepted_ = 0;
  int depth_ = 0;
  int deepest_ = 0;
  std::vector<std::string> spareTexts_;  // the room of payloads handled, for the next ones
  std::vector<char> readBuffer_;  // on the heap: handlers nest, and each level would carry it
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // expires when the server is destroyed
};

}  // namespace orlex
