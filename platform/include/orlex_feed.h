/* The Feed client of Orlex Gauges for programs written in C, or bound from other languages.
 *
 *   orlex_feed* feed;
 *   int32_t result;
 *   if (orlex_feed_connect(NULL, 0, &feed) != ORLEX_FEED_OK) return 1;
 *   orlex_feed_send(feed, ORLEX_FEED_INIT, "1;RPM;\"Engine Speed\";1;", &result);
 *   orlex_feed_send(feed, ORLEX_FEED_PID, "RPM,1500;", &result);
 *   orlex_feed_close(feed);
 *
 * Every call blocks until the display has replied. Errors come back as the negative status codes
 * below; nothing raises a signal (a display that goes away is ORLEX_FEED_CONNECTION_LOST, not SIGPIPE).
 * One handle must not be used by two threads at once; separate handles may.
 */
#ifndef ORLEX_FEED_H
#define ORLEX_FEED_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct orlex_feed orlex_feed;

/* Status codes of every call. */
enum {
  ORLEX_FEED_OK = 0,
  ORLEX_FEED_NO_DISPLAY = -1,      /* nothing answers on the socket path */
  ORLEX_FEED_CONNECTION_LOST = -2, /* the display closed the connection before replying */
  ORLEX_FEED_TOO_LONG = -3,        /* the text does not fit the 16 MiB the display accepts */
  ORLEX_FEED_BAD_PATH = -4,        /* the path is too long, or its directory is not private */
  ORLEX_FEED_SYSTEM = -5,          /* another failure of the socket calls; see errno */
  ORLEX_FEED_BAD_ARGUMENT = -6     /* a NULL handle, text or result pointer */
};

/* Packet kinds of orlex_feed_send. */
enum { ORLEX_FEED_INIT = 0, ORLEX_FEED_PID = 1, ORLEX_FEED_SAVE = 4 };

/* Control messages of orlex_feed_send_control. */
enum {
  ORLEX_FEED_HIDE_ALL = 0x464,
  ORLEX_FEED_DISABLE_CHECKING = 0x465,
  ORLEX_FEED_ENABLE_CHECKING = 0x466
};

/* Connects to the display. `path` NULL (or "") means the default: $ORLEXGAUGES_SOCKET, else
 * $XDG_RUNTIME_DIR/orlexgauges.sock, else /tmp/orlexgauges-<uid>/orlexgauges.sock. While nothing
 * answers, retries every 100 ms for up to `wait_ms` milliseconds (0: one try). On success `*feed`
 * receives a handle for orlex_feed_close; on failure it is set to NULL. */
int orlex_feed_connect(const char* path, int wait_ms, orlex_feed** feed);

/* Sends the packet `text` (up to its NUL) of `kind` and stores the display's reply in `*result`:
 * 1 or 0 as the protocol says. After ORLEX_FEED_CONNECTION_LOST the handle is dead: every later
 * send gives ORLEX_FEED_CONNECTION_LOST again; close it and connect anew. */
int orlex_feed_send(orlex_feed* feed, uint32_t kind, const char* text, int32_t* result);

/* Sends a control message (ORLEX_FEED_HIDE_ALL...) and stores the reply in `*result`. */
int orlex_feed_send_control(orlex_feed* feed, uint32_t msg, int32_t* result);

/* Closes the connection and frees the handle; NULL is allowed. */
void orlex_feed_close(orlex_feed* feed);

/* A short English text for a status code, never NULL. */
const char* orlex_feed_status_text(int status);

#ifdef __cplusplus
}
#endif

#endif /* ORLEX_FEED_H */
