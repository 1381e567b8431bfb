// A second start reaching the running window program through its local socket.
#include "platform/instance_channel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <future>
#include <memory>
#include <vector>

#include "platform/event_loop.h"
#include "tests/support/run_until.h"

namespace vexo {
namespace {

class InstanceChannelTest : public ::testing::Test {
 protected:
  std::string Folder() const { return dir_.path().toStdString() + "/"; }

  // Asks on a thread while this one runs the server's event loop.
  bool AskWhileServing(int timeout_ms) {
    auto asked =
        std::async(std::launch::async, [folder = Folder(), timeout_ms, loop = ThisThreadLoop()] {
          const bool shown = AskRunningInstanceToShow(folder, timeout_ms);
          loop->Post([] {});  // wakes the loop below
          return shown;
        });
    testing::RunUntil(
        [&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return asked.get();
  }

  // A raw connection to the server's socket that says what it is told to.
  int Connect(const std::string& says) const {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = InstanceSocketPath(Folder());
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    if (!says.empty()) {
      EXPECT_EQ(::send(fd, says.data(), says.size(), MSG_NOSIGNAL), ssize_t(says.size()));
    }
    return fd;
  }

  QTemporaryDir dir_;
};

TEST_F(InstanceChannelTest, ASecondStartIsAnsweredAndShowsTheWindowOnce) {
  int shown = 0;
  InstanceServer server(Folder(), [&shown] { ++shown; });
  ASSERT_TRUE(server.Listening());
  struct stat st {};
  ASSERT_EQ(::stat(InstanceSocketPath(Folder()).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "only the user may ask";

  EXPECT_TRUE(AskWhileServing(5000));
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(AskWhileServing(5000));
  EXPECT_EQ(shown, 2);
}

TEST_F(InstanceChannelTest, CallersThatSayAnythingElseOrNothingNeitherShowNorBlockARealRequest) {
  int shown = 0;
  InstanceServer server(Folder(), [&shown] { ++shown; });
  ASSERT_TRUE(server.Listening());
  std::vector<int> callers = {Connect("hide\nshow\n"), Connect(std::string(200, 'x') + "show\n"),
                              Connect("sh")};
  // More silent callers than the server keeps.
  for (int i = 0; i < 12; ++i) callers.push_back(Connect(""));
  testing::RunFor(20);

  EXPECT_TRUE(AskWhileServing(5000));
  EXPECT_EQ(shown, 1);
  for (const int fd : callers) ::close(fd);
  testing::RunFor(20);
  EXPECT_EQ(shown, 1);
}

TEST_F(InstanceChannelTest, WithoutAListeningOwnerTheAskEndsUnansweredAtItsDeadline) {
  // What a killed owner left at the socket's name, nobody listening on it.
  {
    const std::string path = InstanceSocketPath(Folder());
    std::ofstream(path) << "left over";
    EXPECT_FALSE(AskRunningInstanceToShow(Folder(), 120));
  }
  // The next owner takes the name over, and gives it up when it ends.
  {
    int shown = 0;
    InstanceServer server(Folder(), [&shown] { ++shown; });
    ASSERT_TRUE(server.Listening());
    EXPECT_TRUE(AskWhileServing(5000));
    EXPECT_EQ(shown, 1);
  }
  EXPECT_NE(::access(InstanceSocketPath(Folder()).c_str(), F_OK), 0);
  EXPECT_FALSE(AskRunningInstanceToShow(Folder(), 120));
}

}  // namespace
}  // namespace vexo
