// Issues COUNT certificates into the register at LOCATION, each with synthetic PDF bytes of its
// own, and writes each PDF to PDF_FOLDER/NUMBER.pdf once the register has committed it.
// Several at once, or one killed on the way, show what the register does under such use.

#include <unistd.h>

#include <charconv>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>

#include "register/calibration_register.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: register_issuer LOCATION COUNT PDF_FOLDER\n";
    return 2;
  }
  const std::string location = argv[1];
  const std::string_view countText = argv[2];
  int count = 0;
  std::from_chars(countText.data(), countText.data() + countText.size(), count);
  const std::filesystem::path folder = argv[3];
  const std::string process = std::to_string(getpid());

  try {
    std::filesystem::create_directories(folder);
    mensuro::CalibrationRegister r = mensuro::CalibrationRegister::Open(location);
    mensuro::IssueRequest request;
    request.details.instrument = {"Maker", "TS-10", "SN-SHARED"};
    request.details.client = {"Client " + process, ""};
    request.measuredText = "measured by " + process;
    request.publishedText = "published";
    request.programVersion = "register_issuer";
    std::mt19937 random(static_cast<unsigned>(getpid()));
    for (int i = 0; i < count; ++i) {
      std::string pdf;
      const mensuro::RegisterEntry entry =
          r.Issue(request, [&](const mensuro::CertificateIdentity& identity) {
            pdf = "%PDF-1.7 synthetic\n" + identity.number + "\n" + identity.recordSha256 + "\n" +
                  process + "\n";
            for (int b = 0; b < 2048; ++b) {
              pdf += static_cast<char>(random() & 0xff);
            }
            return pdf;
          });
      std::ofstream file(folder / (entry.identity.number + ".pdf"), std::ios::binary);
      if (!(file << pdf)) {
        throw std::runtime_error("can't write the PDF of " + entry.identity.number);
      }
    }
  } catch (const std::exception& error) {
    std::cerr << "register_issuer: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
