// The head log's lines and file, where a head log is looked for, the PostgreSQL connection's
// time-out and which file systems are network ones: plain functions, no database.

#include "register/head_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#if defined(MENSURO_REGISTER_POSTGRES) && !defined(_WIN32)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "register/database.h"
#include "register/network_file_system.h"
#include "register/register_location.h"
#include "support/temp_dir.h"

namespace mensuro {
namespace {

using ::testing::HasSubstr;

HeadLine Head(const std::string& number, char fill) {
  return {number, std::string(64, fill), std::string(64, static_cast<char>(fill + 1)),
          "2026-01-01T10:00:00Z"};
}

TEST(head_log, lines_read_back_and_what_is_no_line_is_refused) {
  const HeadLine head = Head("MEN-2026-0001", 'a');
  EXPECT_EQ(ParseHeadLine(HeadLineText(head)), head);
  EXPECT_EQ(ParseHeadLine(HeadLineText(head) + "\r"), head);
  EXPECT_FALSE(ParseHeadLine("MEN-2026-0001 " + std::string(64, 'a') + " " + std::string(63, 'b') +
                             " 2026-01-01T10:00:00Z"));
  EXPECT_FALSE(ParseHeadLine("MEN-2026-0001 " + std::string(64, 'A') + " " + std::string(64, 'b') +
                             " 2026-01-01T10:00:00Z"));
  EXPECT_FALSE(ParseHeadLine(HeadLineText(head) + " more"));
  EXPECT_FALSE(ParseHeadLine(""));
}

TEST(head_log, appended_heads_are_read_in_order_and_can_be_taken_back) {
  const test::TempDir dir;
  const std::filesystem::path log = dir.path() / "register.sqlite.heads";
  EXPECT_TRUE(ReadHeadLog(log).empty());
  EXPECT_EQ(AppendHeads(log, {Head("A-2026-0001", 'a')}), 0u);
  const std::uintmax_t size =
      AppendHeads(log, {Head("A-2026-0002", 'b'), Head("A-2026-0003", 'c')});
  EXPECT_EQ(size, HeadLineText(Head("A-2026-0001", 'a')).size() + 1);
  EXPECT_EQ(ReadHeadLog(log),
            (std::vector<HeadLine>{Head("A-2026-0001", 'a'), Head("A-2026-0002", 'b'),
                                   Head("A-2026-0003", 'c')}));
  TakeBackHeads(log, size);
  EXPECT_EQ(ReadHeadLog(log), (std::vector<HeadLine>{Head("A-2026-0001", 'a')}));

  dir.Write("bad.heads", HeadLineText(Head("A-2026-0001", 'a')) + "\nedited by hand\n");
  try {
    ReadHeadLog(dir.path() / "bad.heads");
    ADD_FAILURE() << "read";
  } catch (const HeadLogError& error) {
    EXPECT_THAT(error.what(), HasSubstr("has a line 2 that is not NUMBER RECORD_SHA256 LINK"));
  }
  EXPECT_THROW(AppendHeads(dir.path() / "no-folder" / "x.heads", {Head("A", 'a')}), HeadLogError);
}

TEST(head_log, is_beside_an_sqlite_file_and_named_for_postgres) {
  EXPECT_EQ(HeadLogPath("/data/register.sqlite"), "/data/register.sqlite.heads");
  test::SetEnvironment(kHeadLogEnvironment, {});
  EXPECT_EQ(HeadLogPath("postgresql://host/db"), "");
  EXPECT_EQ(HeadLogPath("postgresql://host/db", {}, "from-settings.heads"), "from-settings.heads");
  test::SetEnvironment(kHeadLogEnvironment, "from-environment.heads");
  EXPECT_EQ(HeadLogPath("postgresql://host/db", {}, "from-settings.heads"),
            "from-environment.heads");
  EXPECT_EQ(HeadLogPath("postgres://host/db", "named.heads", "from-settings.heads"), "named.heads");
  test::SetEnvironment(kHeadLogEnvironment, {});
}

TEST(postgres_connection, gives_up_after_ten_seconds_unless_the_uri_says_otherwise) {
  EXPECT_EQ(WithConnectTimeout("postgresql://host/db"), "postgresql://host/db?connect_timeout=10");
  EXPECT_EQ(WithConnectTimeout("postgresql://host/db?sslmode=require"),
            "postgresql://host/db?sslmode=require&connect_timeout=10");
  EXPECT_EQ(WithConnectTimeout("postgresql://host/db?"), "postgresql://host/db?connect_timeout=10");
  EXPECT_EQ(WithConnectTimeout("postgresql://host/db?connect_timeout=3"),
            "postgresql://host/db?connect_timeout=3");
  EXPECT_EQ(WithConnectTimeout("postgres://h/db?sslmode=disable&connect_timeout=30"),
            "postgres://h/db?sslmode=disable&connect_timeout=30");
  // A parameter whose name merely ends so is another one.
  EXPECT_EQ(WithConnectTimeout("postgresql://h/db?xconnect_timeout=3"),
            "postgresql://h/db?xconnect_timeout=3&connect_timeout=10");
}

#if defined(MENSURO_REGISTER_POSTGRES) && !defined(_WIN32)
// A server that takes the connection and never answers: connecting gives up with libpq's reason.
TEST(postgres_connection, a_server_that_never_answers_times_out) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(listener, 4), 0);  // the kernel accepts; nobody ever reads or writes
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string uri = "postgresql://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                          "/register?sslmode=disable";  // the time-out of 10 s added
  try {
    OpenPostgresDatabase(uri);
    ADD_FAILURE() << "connected";
  } catch (const DatabaseError& error) {
    EXPECT_THAT(error.what(), HasSubstr("cannot connect to the PostgreSQL database"));
    EXPECT_THAT(error.what(), HasSubstr("timeout"));
  }
  close(listener);
}
#endif

TEST(network_file_system, linux_types_and_windows_shares_are_told_apart) {
  EXPECT_EQ(NetworkFileSystemOfType(0x6969), "NFS");
  EXPECT_EQ(NetworkFileSystemOfType(0x517B), "SMB");
  EXPECT_EQ(NetworkFileSystemOfType(0xFE534D42), "SMB2");
  EXPECT_EQ(NetworkFileSystemOfType(0xFF534D42), "CIFS");
  EXPECT_EQ(NetworkFileSystemOfType(0xEF53), "");      // ext4
  EXPECT_EQ(NetworkFileSystemOfType(0x01021994), "");  // tmpfs
  EXPECT_EQ(NetworkFileSystemOfType(0x58465342), "");  // XFS
  EXPECT_EQ(NetworkFileSystemOfFuseType("fuse.sshfs"), "sshfs");
  EXPECT_EQ(NetworkFileSystemOfFuseType("fuse.rclone"), "rclone");
  EXPECT_EQ(NetworkFileSystemOfFuseType("fuse.ntfs-3g"), "");
  EXPECT_EQ(NetworkFileSystemOfFuseType("sshfs"), "");

  EXPECT_TRUE(IsNetworkSharePath(R"(\\server\share\register.sqlite)"));
  EXPECT_TRUE(IsNetworkSharePath("//server/share/register.sqlite"));
  EXPECT_TRUE(IsNetworkSharePath(R"(\\?\UNC\server\share\register.sqlite)"));
  EXPECT_FALSE(IsNetworkSharePath(R"(\\?\C:\data\register.sqlite)"));
  EXPECT_FALSE(IsNetworkSharePath(R"(\\.\C:\data\register.sqlite)"));
  EXPECT_FALSE(IsNetworkSharePath(R"(C:\data\register.sqlite)"));
  EXPECT_FALSE(IsNetworkSharePath("/data/register.sqlite"));
  EXPECT_FALSE(IsNetworkSharePath("///data"));
}

}  // namespace
}  // namespace mensuro
