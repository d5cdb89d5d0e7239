#pragma once

// `mensuro-cli register`: what the calibration register holds. Make a register with its
// settings, list the certificates issued, show one, write a stored certificate or the files it
// was made from again byte for byte, follow an instrument's history, export everything, and
// verify the chain of record hashes.

#include <CLI/CLI.hpp>
#include <string>

namespace mensuro::cli {

struct RegisterCommandLine {
  std::string location;  // an SQLite file or a postgresql:// URI
  std::string format = "text";
  // list
  std::string instrument;
  std::string client;
  std::string since;
  // show, reissue
  std::string number;
  std::string certificateFile;
  // history
  std::string serial;
  std::string make;   // empty: any
  std::string model;  // empty: any
  std::string plotFile;
  // init
  std::string prefix;
  std::string laboratorySettingsFile;
  // files
  std::string folder;
};

// Declares the subcommand "register" of `app` and its own subcommands, bound to `line`.
CLI::App* DescribeRegisterCommand(CLI::App& app, RegisterCommandLine& line);

// Runs the register subcommand that `app` parsed: exit 0 done; 1 verify found a record that no
// longer matches; 2 wrong command line, a register that can't be opened, a number not found or
// a file that can't be written, with the reason on standard error.
int RunRegister(const CLI::App& registerCommand, const RegisterCommandLine& line,
                const char* argv0);

}  // namespace mensuro::cli
