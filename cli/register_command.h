#pragma once

// `mensuro-cli register`: what the calibration register holds. Make a register with its
// settings, list the certificates issued, show one, write a stored certificate or the files it
// was made from again byte for byte, follow an instrument's history, export everything, verify
// the chain of record hashes and the register's end, tell whether a certificate's PDF is one the
// register holds unchanged, and show the head log's last line. Keep the laboratory's equipment
// (enter, list, show and retire items and their certificates) and list the instruments'
// calibrations falling due. Only init, settings --interval-months, equipment add and retire and
// issuing write.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

namespace mensuro::cli {

struct RegisterCommandLine {
  std::string location;  // an SQLite file or a postgresql:// URI
  std::string headLog;   // a PostgreSQL register's head log; empty: MENSURO_HEAD_LOG
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
  std::string baseline;  // a baseline's history instead of an instrument's
  // verify
  std::string head;  // a record hash or link the register must end at
  // verify-certificate
  std::string pdfFile;
  // init
  std::string prefix;
  std::string laboratorySettingsFile;
  // files
  std::string folder;
  // init, settings
  std::optional<int> intervalMonths;
  // equipment add, list, show, retire
  std::string equipmentFile;
  std::string supersedes;
  std::string reason;
  std::string kind;  // empty: any
  std::optional<int> dueWithinDays;
  // due
  std::optional<int> withinDays;
};

// Declares the subcommand "register" of `app` and its own subcommands, bound to `line`.
CLI::App* DescribeRegisterCommand(CLI::App& app, RegisterCommandLine& line);

// Runs the register subcommand that `app` parsed: exit 0 done; 1 verify found the register not
// as issued, the certificate is not held unchanged, or the register doesn't end at its head
// log's end; 2 wrong command line, a number not found or a file that can't be read or written;
// 3 a register that can't be opened or read. The reason goes to standard error.
int RunRegister(const CLI::App& registerCommand, const RegisterCommandLine& line,
                const char* argv0);

}  // namespace mensuro::cli
