// mensuro-cli's certificate details: the details file, the options over it, the library's line
// for the baseline's own certificate, and what is refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

// The certificate's text with its words joined by single blanks, read back by pdftotext.
std::string CertificateWords(const TempDir& dir, const std::string& pdf) {
  const CliRun text = RunShell(dir, "pdftotext " + pdf + " -");
  EXPECT_EQ(text.exitCode, 0) << text.err;
  std::string words;
  bool blank = false;
  for (const char c : text.out) {
    const bool space = c == ' ' || c == '\n' || c == '\f';
    if (!space) {
      words += blank && !words.empty() ? std::string(" ") + c : std::string(1, c);
    }
    blank = space;
  }
  return words;
}

TEST(cli_certificate_details, the_file_the_options_over_it_and_the_library_line) {
#ifdef _WIN32
  GTEST_SKIP() << "poppler's pdftotext is the build machine's";
#endif
  const TempDir dir;
  const CliRun plain = RunSevenPillar(dir, {});
  const CliRun run = RunSevenPillar(
      dir, {"--certificate", "c.pdf", "--details", kExampleDetails, "--client", "Other Client Ltd",
            "--prism-constant", "-30", "--checked-by", "C. Third"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, plain.out);
  const std::string text = CertificateWords(dir, "c.pdf");
  for (const char* part :
       {"Northfield Survey Calibration Laboratory 12 Station Road Northfield NF4 2QT",
        "Certificate number: not registered", "Client: Other Client Ltd",
        "Client address: Unit 3, Quay Street Portlow PL1 8EX", "Serial number: 1864207",
        "Prism constant: -30 mm", "Measured by: A. Surveyor", "Checked by: C. Third",
        "Baseline certificate: State Survey Office, certificate SSO-2026-118 of 2026-03-14"}) {
    EXPECT_TRUE(Contains(text, part)) << "missing: " << part << "\n" << text;
  }
  EXPECT_FALSE(Contains(text, "Harbour Engineering")) << text;

  // The library's line alone, and the option over it.
  ASSERT_EQ(RunSevenPillar(dir, {"--certificate", "l.pdf"}).exitCode, 0);
  EXPECT_TRUE(Contains(CertificateWords(dir, "l.pdf"), "Baseline certificate: State Survey"));
  ASSERT_EQ(
      RunSevenPillar(dir, {"--certificate", "o.pdf", "--baseline-certificate", "Own 7"}).exitCode,
      0);
  EXPECT_TRUE(Contains(CertificateWords(dir, "o.pdf"), "Baseline certificate: Own 7"));
}

TEST(cli_certificate_details, a_relative_logo_is_found_beside_the_details_file) {
  const TempDir dir;
  std::filesystem::create_directory(dir.path() / "lab");
  std::filesystem::copy_file(
      std::filesystem::path(MENSURO_CLI).parent_path() / "totalStas_cropped.png",
      dir.path() / "lab" / "logo.png");
  dir.Write("lab/details.json", R"({"laboratory": {"name": "Lab", "logo": "logo.png"}})");
  const CliRun run =
      RunSevenPillar(dir, {"--certificate", "c.pdf", "--details", "lab/details.json"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(ReadBytes(dir.path() / "c.pdf").starts_with("%PDF-"));

  // Given as an option, it is the working folder's.
  ExpectOneErrorLine(RunSevenPillar(dir, {"--certificate", "d.pdf", "--logo", "logo.png"}),
                     "cannot read the logo 'logo.png'");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "d.pdf"));
}

TEST(cli_certificate_details, a_member_the_layout_lacks_or_of_the_wrong_type_is_named) {
  const TempDir dir;
  const auto refused = [&dir](const char* json, const char* what) {
    dir.Write("d.json", json);
    ExpectOneErrorLine(RunSevenPillar(dir, {"--certificate", "c.pdf", "--details", "d.json"}),
                       what);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
  };
  refused(R"({"client": {"name": "C", "fax": "1"}})", "d.json: \"client.fax\" is not a member");
  refused(R"({"reflector": {"prismConstantMm": "-17.5"}})",
          "d.json: \"reflector.prismConstantMm\" is not a number");
  refused(R"({"laboratory": {"address": ["1 Road", 2]}})",
          "d.json: \"laboratory.address\" has a line that is not a string");
  refused(R"({"measuredBy": "A",)", "d.json: not JSON");

  // Details need a certificate to go on.
  ExpectOneErrorLine(RunSevenPillar(dir, {"--client", "C"}), "used only with --certificate");
  ExpectOneErrorLine(RunSevenPillar(dir, {"--prism-constant", "-17,5", "--certificate", "c.pdf"}),
                     "--prism-constant");
}

}  // namespace
}  // namespace mensuro::test
