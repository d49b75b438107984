// A stand-in display for `orlex-feed bench`: a Feed socket server that answers every request with 1
// and does nothing else, so the figures show what the socket transport and its event-loop
// integration cost on their own, before any packet handling.
//
//   feed_test_display SOCKET &   orlex-feed --socket SOCKET --wait 5 bench

#include <QCoreApplication>
#include <cstdio>

#include "platform/FeedServer.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: feed_test_display SOCKET\n");
    return 2;
  }
  orlex::TFeedServer server(argv[1], [](uint32_t, uint32_t, const std::string&) { return 1; });
  if (!server.Listening()) {
    std::fprintf(stderr, "feed_test_display: %s\n",
                 server.AlreadyRunning() ? "a display already answers there" : server.ErrorText().c_str());
    return 1;
  }
  return app.exec();
}
