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

// The first word of `sha256sum FILE` in `dir`: the file's hash as the tool a reader has gives it.
std::string Sha256Sum(const TempDir& dir, const std::string& file) {
  const CliRun sum = RunShell(dir, "sha256sum " + file);
  EXPECT_EQ(sum.exitCode, 0) << sum.err;
  return sum.out.substr(0, sum.out.find(' '));
}

// The files a run read are named without folders, each with the SHA-256 of its bytes as given;
// a library baseline is no file, and its line gives the place its site.
TEST(cli_certificate_details, names_the_input_files_with_their_sha256_and_the_place) {
#ifdef _WIN32
  GTEST_SKIP() << "poppler's pdftotext and coreutils' sha256sum are the build machine's";
#endif
  const TempDir dir;
  std::filesystem::create_directory(dir.path() / "in");
  // A byte-order mark and CR LF: what is read is mended, what is named is the file.
  dir.Write("in/slope.csv",
            "\xEF\xBB\xBF"
            "from,to,sd,hi,ht,temp,press,wet\r\nA,B,100,1.5,1.5,12,1013.25,9\r\n"
            "A,C,300,1.5,1.5,14,1013.25,11\r\nA,D,600,1.5,1.5,13,1013.25,10\r\n");
  dir.Write("in/h.csv", "A,10\nB,10\nC,10\nD,10\n");
  dir.Write("in/p.txt", "A,B,100\nA,C,300\nA,D,600\n");
  const CliRun field =
      RunCli(dir, {"in/slope.csv", "--published", "in/p.txt", "--heights", "in/h.csv",
                   "--wavelength", "0.658", "--reference-index", "1.0002863", "--distances",
                   "mark-to-mark", "--certificate", "f.pdf"});
  ASSERT_EQ(field.exitCode, 0) << field.err;
  const std::string text = CertificateWords(dir, "f.pdf");
  for (const std::string& part :
       {"Field file: slope.csv SHA-256: " + Sha256Sum(dir, "in/slope.csv"),
        "Heights file: h.csv SHA-256: " + Sha256Sum(dir, "in/h.csv"),
        "Published file: p.txt SHA-256: " + Sha256Sum(dir, "in/p.txt"),
        std::string("Place of calibration: p.txt")}) {
    EXPECT_TRUE(Contains(text, part)) << "missing: " << part << "\n" << text;
  }
  EXPECT_FALSE(Contains(text, "in/")) << text;

  dir.Write("lib.dat",
            "1:Quarry line\n2:A,B,100\n2:A,C,300\n2:A,D,600\n3:site=Kellerby Quarry, north "
            "face\n");
  dir.Write("m.txt", "A,B,99.997\nA,C,299.995\nA,D,599.991\n");
  const CliRun library = RunCli(dir, {"m.txt", "--baseline", "Quarry line", "--library", "lib.dat",
                                      "--certificate", "l.pdf"});
  ASSERT_EQ(library.exitCode, 0) << library.err;
  const std::string named = CertificateWords(dir, "l.pdf");
  EXPECT_TRUE(
      Contains(named, "Measured file: m.txt SHA-256: " + Sha256Sum(dir, "m.txt") + " Each file"))
      << named;
  EXPECT_TRUE(Contains(named, "Place of calibration: Quarry line, Kellerby Quarry, north face"))
      << named;
}

// The laboratory's settings name its procedure, and a details file may name another.
TEST(cli_certificate_details, the_method_is_the_laboratory_procedure) {
#ifdef _WIN32
  GTEST_SKIP() << "poppler's pdftotext is the build machine's";
#endif
  const TempDir dir;
  dir.Write("lab.json", R"({"procedure": "QP-7 EDM calibration on a pillar baseline"})");
  ASSERT_EQ(RunSevenPillar(dir, {"--certificate", "r.pdf", "--register", "r.sqlite", "--details",
                                 kExampleDetails, "--laboratory-settings", "lab.json"})
                .exitCode,
            0);
  EXPECT_TRUE(Contains(CertificateWords(dir, "r.pdf"),
                       "Method: QP-7 EDM calibration on a pillar baseline."));
  dir.Write("d.json", R"({"procedure": "QP-9"})");
  ASSERT_EQ(RunSevenPillar(dir, {"--certificate", "d.pdf", "--details", "d.json"}).exitCode, 0);
  EXPECT_TRUE(Contains(CertificateWords(dir, "d.pdf"), "Method: QP-9."));
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
