// The background writer: bytes reach the file in order; a failing disk is reported once and never
// holds the caller up.

#include "tools/core/RecordingWriter.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

using orlex::recording::TRecordingWriter;

TEST(RecordingWriter, WritesEverythingInOrder) {
  TTempDir dir;
  const std::string path = dir.File("r");
  std::string expected;
  std::vector<std::string> reports;
  {
    TRecordingWriter writer(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
                            [&](const std::string& p) { reports.push_back(p); });
    for (int i = 0; i < 2000; ++i) {
      std::string chunk = std::to_string(i) + ";";
      expected += chunk;
      writer.Push(chunk);
      EXPECT_TRUE(chunk.empty());
    }
    EXPECT_TRUE(writer.Finish());
  }
  std::stringstream got;
  got << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_EQ(got.str(), expected);
  EXPECT_TRUE(reports.empty());
}

TEST(RecordingWriter, AFullDiskIsReportedOnceAndPushesGoOn) {
  std::vector<std::string> reports;
  TRecordingWriter writer(::open("/dev/full", O_WRONLY), [&](const std::string& p) { reports.push_back(p); });
  for (int i = 0; i < 500; ++i) {
    std::string chunk(1000, 'x');
    writer.Push(chunk);
  }
  EXPECT_FALSE(writer.Finish());
  EXPECT_TRUE(writer.Failed());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "No space left on device");
}

TEST(RecordingWriter, FallingTooFarBehindStopsTheRecordingOnce) {
  std::vector<std::string> reports;
  signal(SIGPIPE, SIG_IGN);  // the writer's last write meets a closed pipe
  // The pipe's reader never reads: the writer thread blocks on the first write, as on a stalled disk.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  fcntl(fds[1], F_SETPIPE_SZ, 4096);
  {
    TRecordingWriter writer(fds[1], [&](const std::string& p) { reports.push_back(p); }, 64 * 1024);
    for (int i = 0; i < 100; ++i) {
      std::string chunk(4096, 'x');
      writer.Push(chunk);  // returns at once although nothing drains
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "the disk does not keep up with the Feed; recording stops here");
    ::close(fds[0]);  // lets the blocked write fail, so the writer can finish
    EXPECT_FALSE(writer.Finish());
  }
  EXPECT_EQ(reports.size(), 1u);
}

}  // namespace
