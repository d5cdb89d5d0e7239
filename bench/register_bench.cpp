// Fills a calibration register up to a number of records, each with a synthetic certificate PDF
// of a realistic size, then issues one more and times it: what issuing costs a laboratory whose
// register has grown over the years. Prints one JSON object on standard output.
//
// Usage: mensuro_register_bench REGISTER RECORDS [PDF_BYTES]

#include <fmt/format.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <string>

#include "register/calibration_register.h"

namespace {

using Clock = std::chrono::steady_clock;

// A certificate's worth of bytes that no compression or deduplication makes smaller, with the
// identity on it as a real certificate has.
std::string SyntheticPdf(const mensuro::CertificateIdentity& identity, std::size_t size) {
  std::string pdf = "%PDF-1.7\n" + identity.number + "\n" + identity.recordSha256 + "\n";
  std::uint64_t state = std::hash<std::string>{}(identity.recordSha256) | 1U;
  while (pdf.size() < size) {
    state ^= state << 13U;  // xorshift64
    state ^= state >> 7U;
    state ^= state << 17U;
    pdf.push_back(static_cast<char>(state & 0xffU));
  }
  return pdf;
}

mensuro::IssueRequest Request(std::int64_t record) {
  mensuro::IssueRequest request;
  mensuro::CertificateDetails& d = request.details;
  d.laboratory = {"Survey Laboratory", "1 Base Line Road\nTown", "Accredited 0001", ""};
  d.client = {fmt::format("Client {}", record % 2000), "2 Client Street\nCity"};
  d.instrument = {"Maker", fmt::format("TS-{}", record % 7), fmt::format("SN-{}", record % 15000)};
  d.reflector = {"Maker", "Prism 1", -17.4};
  d.measuredBy = "A. Operator";
  d.checkedBy = "B. Checker";
  d.baselineCertificate = "Authority, No. 12, 2025-01-01";
  request.baseline = "Valley baseline";
  // Texts of a seven-pillar calibration's size.
  request.measuredText = std::string(6000, 'm');
  request.publishedText = std::string(400, 'p');
  request.conditionsJson = R"({"baselineUncertainty":{"constantMm":0.3,"scalePpm":1.0}})";
  request.exclusionsJson = "[]";
  request.acceptedWarningsJson = "[]";
  request.resultsJson = std::string(4000, 'r');
  request.results = {1.5 + static_cast<double>(record % 10) / 10.0, 1.2, 0.0004, 0.0007, std::nullopt};
  request.programVersion = "Mensuro bench";
  return request;
}

// The moment of issue of record `record` of `records`: noon, on days spread over ten years up
// to 2026.
std::time_t IssueMoment(std::int64_t record, std::int64_t records) {
  using namespace std::chrono;
  const sys_days first = 2017y / January / 1d;
  return system_clock::to_time_t(first + days(record * 3650 / records) + hours(12));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fputs("usage: mensuro_register_bench REGISTER RECORDS [PDF_BYTES]\n", stderr);
    return 2;
  }
  try {
    const std::string location = argv[1];
    const std::int64_t records = std::stoll(argv[2]);
    const std::size_t pdfBytes = argc == 4 ? std::stoul(argv[3]) : 48000;
    const auto pdfOf = [pdfBytes](const mensuro::CertificateIdentity& identity) {
      return SyntheticPdf(identity, pdfBytes);
    };

    mensuro::CalibrationRegister reg = mensuro::CalibrationRegister::Open(location);
    std::int64_t held = static_cast<std::int64_t>(reg.List().size());
    const Clock::time_point fillStart = Clock::now();
    for (; held < records; ++held) {
      reg.Issue(Request(held), pdfOf, IssueMoment(held, records));
      if ((held + 1) % 5000 == 0) {
        std::fprintf(stderr, "register_bench: %lld of %lld records\n",
                     static_cast<long long>(held + 1), static_cast<long long>(records));
      }
    }
    const double fillSeconds = std::chrono::duration<double>(Clock::now() - fillStart).count();

    const Clock::time_point issueStart = Clock::now();
    reg.Issue(Request(held), pdfOf, IssueMoment(records, records));
    const double issueSeconds = std::chrono::duration<double>(Clock::now() - issueStart).count();
    std::printf("{\"records\": %lld, \"fillSeconds\": %.3f, \"issueSeconds\": %.6f}\n",
                static_cast<long long>(held), fillSeconds, issueSeconds);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "register_bench: %s\n", error.what());
    return 1;
  }
}
