// Programs issuing into one register at once, and one killed while it issues.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "core/data/sha256.h"
#include "register/calibration_register.h"
#include "register/register_location.h"

extern char** environ;

namespace mensuro {
namespace {

// Far beyond what the slowest machine needs; the tests wait on what they check, not on time.
constexpr auto kOverallLimit = std::chrono::minutes(5);
constexpr auto kPoll = std::chrono::milliseconds(20);

pid_t StartIssuer(const std::string& location, int count, const std::filesystem::path& folder) {
  const std::string countText = std::to_string(count);
  const std::string folderText = folder.string();
  std::string program = MENSURO_REGISTER_ISSUER;
  char* const arguments[] = {program.data(), const_cast<char*>(location.c_str()),
                             const_cast<char*>(countText.c_str()),
                             const_cast<char*>(folderText.c_str()), nullptr};
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, arguments, environ), 0);
  return pid;
}

// The program's exit status once it ends; it is killed, and -1 given, beyond the limit.
int ExitStatus(pid_t pid) {
  const auto limit = std::chrono::steady_clock::now() + kOverallLimit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > limit) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(kPoll);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every record's stored PDF present and matching its hash.
void ExpectWhole(CalibrationRegister& r) {
  for (const RegisterEntry& entry : r.List()) {
    const std::optional<std::string> pdf = r.StoredCertificatePdf(entry.identity.number);
    ASSERT_TRUE(pdf && !pdf->empty()) << entry.identity.number;
    EXPECT_EQ(Sha256Hex(*pdf), entry.pdfSha256) << entry.identity.number;
  }
  const VerifyResult verified = r.Verify();
  EXPECT_TRUE(verified.intact) << verified.firstBroken << ": " << verified.reason;
}

class register_process : public test::RegisterLocationTest {};

TEST_P(register_process, two_issuers_at_once_on_a_new_register) {
  constexpr int kEach = 100;
  const std::filesystem::path pdfs = Scratch().path() / "pdfs";
  const pid_t first = StartIssuer(Location(), kEach, pdfs);
  const pid_t second = StartIssuer(Location(), kEach, pdfs);
  EXPECT_EQ(ExitStatus(first), 0);
  EXPECT_EQ(ExitStatus(second), 0);

  CalibrationRegister r = CalibrationRegister::Open(Location());
  const std::vector<RegisterEntry> entries = r.List();
  EXPECT_EQ(entries.size(), 2u * kEach);
  std::set<std::string> numbers;
  for (const RegisterEntry& entry : entries) {
    numbers.insert(entry.identity.number);
    const std::string file = test::ReadBytes(pdfs / (entry.identity.number + ".pdf"));
    EXPECT_EQ(Sha256Hex(file), entry.pdfSha256) << entry.identity.number;
  }
  EXPECT_EQ(numbers.size(), 2u * kEach);
  ExpectWhole(r);
}

TEST_P(register_process, an_issuer_killed_leaves_every_record_whole) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const pid_t issuer = StartIssuer(Location(), 1000000, Scratch().path() / "pdfs");
  const auto limit = std::chrono::steady_clock::now() + kOverallLimit;
  while (r.List().size() < 5 && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(kPoll);
  }
  ASSERT_EQ(kill(issuer, SIGKILL), 0);
  int status = 0;
  waitpid(issuer, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status)) << "the issuer ended before it was killed";

  EXPECT_GE(r.List().size(), 5u);
  ExpectWhole(r);
  // Nothing left locked: the register takes the next certificate.
  r.Issue({}, [](const CertificateIdentity& identity) { return identity.number; });
  EXPECT_TRUE(r.Verify().intact);
}

INSTANTIATE_TEST_SUITE_P(backend, register_process, ::testing::ValuesIn(test::RegisterBackends()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace mensuro
