// The C face of TFeedClient: handles instead of objects, status codes instead of exceptions.

#include <cerrno>
#include <chrono>
#include <new>
#include <optional>
#include <string>

#include "orlex_feed.h"
#include "platform/FeedClient.h"
#include "platform/FeedPath.h"

struct orlex_feed {
  orlex::TFeedClient client;
};

namespace {

int StatusOf(const orlex::TFeedError& error) {
  switch (error.Kind()) {
    case orlex::TFeedError::TKind::NoDisplay: return ORLEX_FEED_NO_DISPLAY;
    case orlex::TFeedError::TKind::ConnectionLost: return ORLEX_FEED_CONNECTION_LOST;
    case orlex::TFeedError::TKind::TooLong: return ORLEX_FEED_TOO_LONG;
    case orlex::TFeedError::TKind::BadPath: return ORLEX_FEED_BAD_PATH;
    case orlex::TFeedError::TKind::System: return ORLEX_FEED_SYSTEM;
  }
  return ORLEX_FEED_SYSTEM;
}

// Runs `send` and turns what it throws into a status; nothing may cross into C as an exception.
template <typename TSend>
int Guarded(int32_t* result, TSend send) {
  try {
    *result = send();
    return ORLEX_FEED_OK;
  } catch (const orlex::TFeedError& error) {
    return StatusOf(error);
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    return ORLEX_FEED_SYSTEM;
  } catch (...) {
    return ORLEX_FEED_SYSTEM;
  }
}

}  // namespace

extern "C" {

int orlex_feed_connect(const char* path, int wait_ms, orlex_feed** feed) {
  if (feed == nullptr) return ORLEX_FEED_BAD_ARGUMENT;
  *feed = nullptr;
  if (wait_ms < 0) return ORLEX_FEED_BAD_ARGUMENT;
  int32_t unused = 0;
  std::optional<orlex::TFeedClient> client;
  const int status = Guarded(&unused, [&] {
    const std::string where = (path == nullptr || *path == '\0') ? orlex::FeedSocketPath() : std::string(path);
    client.emplace(orlex::TFeedClient::Connect(where, std::chrono::milliseconds(wait_ms)));
    return 0;
  });
  if (status != ORLEX_FEED_OK) return status;
  *feed = new (std::nothrow) orlex_feed{std::move(*client)};
  if (*feed == nullptr) {
    errno = ENOMEM;
    return ORLEX_FEED_SYSTEM;
  }
  return ORLEX_FEED_OK;
}

int orlex_feed_send(orlex_feed* feed, uint32_t kind, const char* text, int32_t* result) {
  if (feed == nullptr || text == nullptr || result == nullptr) return ORLEX_FEED_BAD_ARGUMENT;
  return Guarded(result, [&] { return feed->client.SendPacket(kind, text); });
}

int orlex_feed_send_control(orlex_feed* feed, uint32_t msg, int32_t* result) {
  if (feed == nullptr || result == nullptr) return ORLEX_FEED_BAD_ARGUMENT;
  return Guarded(result, [&] { return feed->client.SendControl(msg); });
}

void orlex_feed_close(orlex_feed* feed) { delete feed; }

const char* orlex_feed_status_text(int status) {
  switch (status) {
    case ORLEX_FEED_OK: return "ok";
    case ORLEX_FEED_NO_DISPLAY: return "no display answers on the socket";
    case ORLEX_FEED_CONNECTION_LOST: return "the display closed the connection";
    case ORLEX_FEED_TOO_LONG: return "text longer than the 16 MiB the display accepts";
    case ORLEX_FEED_BAD_PATH: return "the socket path cannot be used";
    case ORLEX_FEED_SYSTEM: return "socket call failed";
    case ORLEX_FEED_BAD_ARGUMENT: return "bad argument";
    default: return "unknown status";
  }
}

}  // extern "C"
