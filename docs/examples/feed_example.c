/* A complete Feed in C: registers three PIDs, then sends their values every INTERVAL_MS milliseconds,
 * COUNT times (default 100 times, 200 ms apart), and says what the display answered.
 *
 *   cc feed_example.c $(pkg-config --cflags --libs orlexfeed) -o feed_example
 *   ./feed_example [COUNT [INTERVAL_MS]]
 */
#include <orlex_feed.h>

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static void sleep_ms(long ms) {
  struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&pause, NULL);
}

int main(int argc, char** argv) {
  const long count = argc > 1 ? atol(argv[1]) : 100;
  const long interval_ms = argc > 2 ? atol(argv[2]) : 200;
  orlex_feed* feed;
  int32_t result;

  /* Wait up to 5 s for a display that is still starting. */
  int status = orlex_feed_connect(NULL, 5000, &feed);
  if (status != ORLEX_FEED_OK) {
    fprintf(stderr, "feed_example: %s\n", orlex_feed_status_text(status));
    return 1;
  }

  /* Count, then key;description;ID; per PID. IDs run 1, 2, 3 in packet order; descriptions with
   * spaces are quoted; every field ends with ";". */
  status = orlex_feed_send(feed, ORLEX_FEED_INIT,
                           "3;RPM;\"Engine Speed\";1;ECT;\"Coolant Temp\";2;MAP;\"Manifold kPa\";3;", &result);
  if (status != ORLEX_FEED_OK || result != 1) {
    fprintf(stderr, "feed_example: INIT failed: %s, result %d\n", orlex_feed_status_text(status), (int)result);
    orlex_feed_close(feed);
    return 1;
  }
  printf("INIT answered %d\n", (int)result);

  long sent = 0;
  for (long i = 0; i < count; ++i) {
    char packet[128];
    /* key,value; per PID, the final ";" included: without it the last value would be lost. */
    snprintf(packet, sizeof packet, "RPM,%ld;ECT,%ld.%ld;MAP,%ld;", 800 + (i * 37) % 5000, 80 + i % 20, i % 10,
             30 + (i * 7) % 70);
    status = orlex_feed_send(feed, ORLEX_FEED_PID, packet, &result);
    if (status == ORLEX_FEED_CONNECTION_LOST) {
      printf("the display went away after %ld packets\n", sent);
      break;
    }
    if (status != ORLEX_FEED_OK) {
      fprintf(stderr, "feed_example: %s\n", orlex_feed_status_text(status));
      orlex_feed_close(feed);
      return 1;
    }
    if (result != 1) fprintf(stderr, "feed_example: packet %ld answered %d\n", i, (int)result);
    ++sent;
    if (i + 1 < count) sleep_ms(interval_ms);
  }
  printf("%ld PID packets sent\n", sent);
  orlex_feed_close(feed);
  return 0;
}
