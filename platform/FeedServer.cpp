#include "platform/FeedServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/FeedFrame.h"
#include "platform/FeedPath.h"
#include "platform/ProcessMemory.h"
#include "platform/UnixSocket.h"

namespace orlex {

namespace {

// A peer that pipelines requests without reading its replies stops being served (and read) once this
// much is waiting to be written, until it reads.
constexpr size_t kMaxPendingReplies = 64 * 1024;
// How much one readiness event reads from one connection before the others get their turn.
constexpr size_t kReadBudget = 256 * 1024;
constexpr size_t kReadChunk = 64 * 1024;
// A request this large is exceptional: a Feed's packets are a few kilobytes.
constexpr size_t kLargeRequest = 1024 * 1024;
// Feeds beyond the connection bound wait here until a connection closes.
constexpr int kListenBacklog = 128;

std::string ErrnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

struct TFeedServer::TConnection {
  int fd = -1;
  QSocketNotifier* reader = nullptr;  // children of the server
  QSocketNotifier* writer = nullptr;
  TFeedDecoder decoder;
  std::string out;        // replies not yet written
  bool busy = false;      // its handler is running
  bool peerDone = false;  // the peer has stopped sending
  bool closed = false;
  bool parked = false;    // waits for a handler to return or for memory to be freed
  bool draining = false;  // the peer has stopped sending: what is left is small, read it regardless
  size_t counted = 0;     // what it holds beyond its allowance, as counted in sharedHeld_
  uint64_t order = 0;     // when it was accepted: waiting connections resume oldest first
};

namespace {
size_t Excess(size_t held) { return held > TFeedServer::kAllowance ? held - TFeedServer::kAllowance : 0; }
}  // namespace

TFeedServer::TFeedServer(std::string path, THandler handler, QObject* parent)
    : QObject(parent),
      path_(std::move(path)),
      handler_(std::make_shared<const THandler>(std::move(handler))),
      peerUid_(&TFeedServer::ReadPeerUid) {
  Start();
}

size_t TFeedServer::SharedHeld() const { return sharedHeld_; }

void TFeedServer::Recount(TConnection& connection) {
  const size_t now = connection.closed ? 0 : Excess(connection.decoder.Held());
  const bool freed = now < connection.counted;
  sharedHeld_ = sharedHeld_ - connection.counted + now;
  connection.counted = now;
  if (freed && !parked_.empty()) ScheduleResume();
}

bool TFeedServer::MayRead(const TConnection& connection) const {
  return connection.draining || connection.decoder.Held() < kAllowance || sharedHeld_ < kSharedBudget;
}

namespace {
// The peer has shut down its sending side (or is gone), though unread bytes may still wait.
bool PeerHungUp(int fd) {
  pollfd p{fd, POLLRDHUP, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}
}  // namespace

void TFeedServer::Park(const TConnectionPtr& connection) {
  if (connection->closed) return;
  connection->reader->setEnabled(false);
  if (!MayRead(*connection) && !recheckScheduled_) {
    // Waiting for memory: look again now and then, so a Feed that gives up is noticed and let go.
    recheckScheduled_ = true;
    QTimer::singleShot(250, this, [this] {
      recheckScheduled_ = false;
      ScheduleResume();
    });
  }
  if (connection->parked) return;
  connection->parked = true;
  parked_.push_back(connection);
}

void TFeedServer::ScheduleResume() {
  if (resumeScheduled_) return;
  resumeScheduled_ = true;
  // From the event loop, not from the returning handler's frame: that one may be deep already.
  QTimer::singleShot(0, this, [this] { ResumeParked(); });
}

void TFeedServer::ResumeParked() {
  resumeScheduled_ = false;
  if (depth_ >= kMaxNesting) return;  // the next handler to return schedules this again
  std::vector<TConnectionPtr> parked;
  for (const std::weak_ptr<TConnection>& weak : parked_) {
    TConnectionPtr connection = weak.lock();
    if (connection && !connection->closed) parked.push_back(std::move(connection));
  }
  // Oldest connection first: a crowd of Feeds that has just connected cannot hold up the requests of
  // a Feed that was there before it.
  std::sort(parked.begin(), parked.end(),
            [](const TConnectionPtr& a, const TConnectionPtr& b) { return a->order < b->order; });
  TConnectionPtr next;
  parked_.clear();
  for (const TConnectionPtr& connection : parked) {
    if (!MayRead(*connection) && PeerHungUp(connection->fd)) connection->draining = true;
    const bool ready = !connection->busy && (MayRead(*connection) || connection->decoder.Ready());
    if (!next && ready) {
      next = connection;
      continue;
    }
    parked_.push_back(connection);  // still waiting, for its turn or for memory
  }
  if (!next) return;
  next->parked = false;
  // One at a time: the next one's turn comes from the event loop, also while this one's handler runs.
  if (!parked_.empty()) ScheduleResume();
  // What it sent meanwhile is read now (unless memory is short), then served.
  if (!next->peerDone && MayRead(*next)) {
    ReadAndServe(next);
  } else {
    Serve(next);
  }
}

TFeedServer::~TFeedServer() {
  alive_.reset();
  for (const TConnectionPtr& connection : connections_) {
    if (!connection->closed) {
      ::close(connection->fd);
      connection->closed = true;
    }
  }
  removeAtEnd_.reset();
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    RemoveOwnSocketFile();
  }
  // The notifiers are children and go with the QObject.
}

void TFeedServer::RemoveOwnSocketFile() const {
  struct stat st {};
  if (lstat(path_.c_str(), &st) == 0 && st.st_dev == socketDev_ && st.st_ino == socketIno_) {
    ::unlink(path_.c_str());
  }
}

std::optional<uid_t> TFeedServer::ReadPeerUid(int fd) {
  const std::optional<ucred> credentials = PeerCredentials(fd);
  if (!credentials) return std::nullopt;
  return credentials->uid;
}

bool TFeedServer::SomeoneAnswers() const { return SomeoneListensAt(path_); }

void TFeedServer::Start() {
  if (!PrepareFeedSocketDir(path_, true, error_)) {
    return;
  }
  sockaddr_un address;
  if (!MakeUnixAddress(path_, address)) {
    error_ = "socket path is empty or too long: " + path_;
    return;
  }
  struct stat st {};
  if (lstat(path_.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      error_ = path_ + " exists and is not a socket";  // not ours to delete
      return;
    }
    if (SomeoneAnswers()) {
      alreadyRunning_ = true;
      return;
    }
    ::unlink(path_.c_str());  // stale: left by a display that did not end cleanly
  }

  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error_ = ErrnoText("socket");
    return;
  }
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    const int bindError = errno;
    ::close(fd);
    // Another display may have bound the path between our look and our bind.
    if (bindError == EADDRINUSE && SomeoneAnswers()) {
      alreadyRunning_ = true;
      return;
    }
    errno = bindError;
    error_ = ErrnoText("cannot bind " + path_);
    return;
  }
  // Only this user may connect; the credential check below also covers the moment before chmod.
  if (chmod(path_.c_str(), 0600) != 0 || listen(fd, kListenBacklog) != 0 || lstat(path_.c_str(), &st) != 0) {
    error_ = ErrnoText("cannot listen on " + path_);
    ::close(fd);
    ::unlink(path_.c_str());
    return;
  }
  socketDev_ = st.st_dev;
  socketIno_ = st.st_ino;
  listenFd_ = fd;
  removeAtEnd_ = std::make_unique<TProcessEndHook>([this] { RemoveOwnSocketFile(); });
  listenNotifier_ = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
  connect(listenNotifier_, &QSocketNotifier::activated, this, [this] { AcceptPending(); });
}

void TFeedServer::AcceptPending() {
  const uid_t ownUid = geteuid();
  for (;;) {
    if (connections_.size() >= kMaxConnections) {
      listenNotifier_->setEnabled(false);  // the rest wait in the listen queue until one closes
      return;
    }
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of descriptors: the pending peer would make the listener fire without pause; look again later.
        listenNotifier_->setEnabled(false);
        std::weak_ptr<bool> alive = alive_;
        QTimer::singleShot(100, this, [this, alive] {
          if (!alive.expired() && listenNotifier_ != nullptr) listenNotifier_->setEnabled(true);
        });
      }
      return;  // EAGAIN: nobody else waiting
    }
    const std::optional<uid_t> uid = peerUid_ ? peerUid_(fd) : std::nullopt;
    if (!uid || (*uid != ownUid && *uid != 0)) {
      ::close(fd);  // unread
      continue;
    }
    auto connection = std::make_shared<TConnection>();
    connection->fd = fd;
    connection->order = ++accepted_;
    connection->reader = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connection->writer = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connection->writer->setEnabled(false);
    std::weak_ptr<TConnection> weak = connection;
    connect(connection->reader, &QSocketNotifier::activated, this, [this, weak] {
      if (TConnectionPtr c = weak.lock()) OnReadable(c);
    });
    connect(connection->writer, &QSocketNotifier::activated, this, [this, weak] {
      if (TConnectionPtr c = weak.lock()) OnWritable(c);
    });
    connections_.push_back(std::move(connection));
  }
}

void TFeedServer::OnReadable(const TConnectionPtr& connection) {
  if (connection->closed) {
    return;
  }
  if (connection->busy) {
    // More from a peer whose handler has re-entered the event loop: leave it unread until the reply
    // is out. Switched off only now, not around every call, as re-arming costs more than a request.
    connection->reader->setEnabled(false);
    return;
  }
  if (depth_ >= kMaxNesting || !MayRead(*connection)) {
    Park(connection);  // unread: the kernel holds its bytes meanwhile
    return;
  }
  if (!parked_.empty() && !connection->parked) {
    Park(connection);  // others wait already: take its turn among them, oldest connection first
    ScheduleResume();
    return;
  }
  ReadAndServe(connection);
}

void TFeedServer::ReadAndServe(const TConnectionPtr& connection) {
  readBuffer_.resize(kReadChunk);
  char* const buffer = readBuffer_.data();
  size_t budget = kReadBudget;
  while (budget > 0) {
    const ssize_t n = ::recv(connection->fd, buffer, kReadChunk, 0);
    if (n > 0) {
      connection->decoder.Append(buffer, static_cast<size_t>(n));
      Recount(*connection);
      budget -= std::min(budget, static_cast<size_t>(n));
      if (static_cast<size_t>(n) < kReadChunk) break;  // drained for now; the notifier tells us of more
      if (!MayRead(*connection)) break;
      continue;
    }
    if (n == 0) {
      connection->peerDone = true;
      break;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) break;
    CloseConnection(connection);  // reset by the peer: nothing more to serve or answer
    return;
  }
  Serve(connection);
}

void TFeedServer::Serve(const TConnectionPtr& connection) {
  const TConnectionPtr keep = connection;  // the caller's reference may be the vector's slot
  const std::weak_ptr<bool> alive = alive_;
  TFeedRequest request;
  while (!keep->closed && !keep->busy && keep->out.size() < kMaxPendingReplies) {
    if (depth_ >= kMaxNesting && keep->decoder.Ready()) {
      Park(keep);  // served when a running handler returns
      return;
    }
    if (!keep->decoder.Next(request)) break;
    Recount(*keep);
    keep->busy = true;
    const std::shared_ptr<const THandler> handler = handler_;
    // The payload becomes the text in place. A payload whose text ends early leaves its room behind,
    // and the payload is not kept while the handler runs (assigning an empty string would keep its room).
    std::string text = std::move(request.payload);
    std::string().swap(request.payload);
    text.resize(FeedPayloadText(text).size());
    if (text.capacity() - text.size() > kReadChunk) text.shrink_to_fit();
    int32_t result = 0;
    deepest_ = std::max(deepest_, ++depth_);
    try {
      result = (*handler)(request.msg, request.data, text);
    } catch (...) {
      if (!alive.expired()) {
        --depth_;
        if (!parked_.empty()) ScheduleResume();
        keep->busy = false;
        if (!keep->closed) {
          Reply(keep, 0);
          // What is still buffered is served once the exception has gone on its way.
          std::weak_ptr<TConnection> weak = keep;
          QTimer::singleShot(0, this, [this, weak] {
            if (TConnectionPtr c = weak.lock()) Serve(c);
          });
        }
      }
      throw;
    }
    if (alive.expired()) {
      return;  // the handler destroyed the server; keep is all that is left
    }
    --depth_;
    if (!parked_.empty()) ScheduleResume();
    keep->busy = false;
    if (keep->closed) {
      return;
    }
    Reply(keep, result);
    if (text.size() >= kLargeRequest) {
      // What handling an exceptional request took goes back to the system, not only to the heap.
      std::string().swap(text);
      ReturnFreeMemory();
    }
  }
  if (keep->closed || keep->busy) {
    return;
  }
  if (keep->decoder.Oversized()) {
    Flush(keep);  // replies to the requests before it still go out, if the socket takes them now
    CloseConnection(keep);
    return;
  }
  FinishIfDone(keep);
  if (!keep->closed) {
    UpdateNotifiers(keep);
  }
}

void TFeedServer::Reply(const TConnectionPtr& connection, int32_t result) {
  const auto bytes = EncodeFeedReply(result);
  connection->out.append(bytes.data(), bytes.size());
  Flush(connection);
}

void TFeedServer::Flush(const TConnectionPtr& connection) {
  size_t written = 0;
  while (written < connection->out.size()) {
    const ssize_t n = ::send(connection->fd, connection->out.data() + written, connection->out.size() - written,
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    CloseConnection(connection);  // the peer is gone; its replies have nowhere to go
    return;
  }
  connection->out.erase(0, written);
}

void TFeedServer::OnWritable(const TConnectionPtr& connection) {
  if (connection->closed) {
    return;
  }
  Flush(connection);
  if (connection->closed) {
    return;
  }
  // Requests held back by a full reply queue can go on now.
  Serve(connection);
  if (!connection->closed) {
    UpdateNotifiers(connection);
  }
}

// A peer that has stopped sending is closed once every complete request is answered and written;
// a half frame it left behind is dropped unprocessed.
void TFeedServer::FinishIfDone(const TConnectionPtr& connection) {
  if (!connection->peerDone || connection->busy || !connection->out.empty()) {
    return;
  }
  if (connection->decoder.Ready()) {
    return;  // a complete request held back by the reply queue keeps the connection
  }
  CloseConnection(connection);
}

void TFeedServer::UpdateNotifiers(const TConnectionPtr& connection) {
  if (connection->closed) {
    return;
  }
  const bool wantRead = !connection->busy && !connection->peerDone && !connection->decoder.Oversized() &&
                        connection->out.size() < kMaxPendingReplies;
  connection->writer->setEnabled(!connection->out.empty());
  if (wantRead && !MayRead(*connection)) {
    Park(connection);  // read again once others have freed memory
    return;
  }
  connection->reader->setEnabled(wantRead && !connection->parked);
}

void TFeedServer::CloseConnection(const TConnectionPtr& connection) {
  if (connection->closed) {
    return;
  }
  connection->closed = true;
  for (QSocketNotifier* notifier : {connection->reader, connection->writer}) {
    notifier->setEnabled(false);
    notifier->deleteLater();  // it may be the one whose signal brought us here
  }
  connection->reader = connection->writer = nullptr;
  ::close(connection->fd);
  connection->fd = -1;
  connection->decoder = TFeedDecoder{};
  connection->out = std::string();
  Recount(*connection);
  const TConnectionPtr keep = connection;  // the argument may refer to the slot being erased
  connections_.erase(std::remove(connections_.begin(), connections_.end(), keep), connections_.end());
  if (listenNotifier_ != nullptr && connections_.size() < kMaxConnections) listenNotifier_->setEnabled(true);
}

}  // namespace orlex
