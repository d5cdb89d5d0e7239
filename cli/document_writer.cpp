#include "cli/document_writer.h"

#include <algorithm>
#include <array>
#include <boost/dll/import.hpp>
#include <boost/dll/shared_library.hpp>
#include <filesystem>
#include <system_error>
#include <utility>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include "cli/executable_dir.h"
#include "core/data/file_names.h"

namespace mensuro::cli {
namespace {

// Why the last load failed: the system loader's own words where it keeps them (a library the
// module needs that is missing, say), else the error the load gave.
std::string LoadFailure(const std::error_code& error) {
#ifndef _WIN32
  if (const char* const said = dlerror(); said != nullptr) {
    return said;
  }
#endif
  return error.message();
}

// The module's entry point `entry`, of type `Function`.
template <typename Function>
std::optional<std::function<Function>> LoadEntry(const char* argv0, const char* entry,
                                                 std::string& reason) {
  const std::filesystem::path programs = ExecutableDirectory(argv0);
  const std::array<std::filesystem::path, 2> places = {
      programs / MENSURO_DOCUMENT_MODULE,
      (programs / MENSURO_INSTALLED_DOCUMENT_MODULE_DIR / MENSURO_DOCUMENT_MODULE)
          .lexically_normal()};
  std::error_code status;
  const auto found = std::find_if(places.begin(), places.end(), [&status](const auto& place) {
    return std::filesystem::is_regular_file(place, status);
  });
  if (found == places.end()) {
    reason = "cannot load the document module for plots and certificates: neither '" +
             Utf8FromPath(places[0]) + "' nor '" + Utf8FromPath(places[1]) + "' exists";
    return std::nullopt;
  }
  std::error_code loadStatus;
  boost::dll::shared_library module;
  module.load(*found, loadStatus);
  if (loadStatus) {
    reason = "cannot load the document module '" + Utf8FromPath(*found) +
             "': " + LoadFailure(loadStatus);
    return std::nullopt;
  }
  if (!module.has(entry)) {
    reason = "the document module '" + Utf8FromPath(*found) + "' lacks its entry point " + entry;
    return std::nullopt;
  }
  return std::function<Function>(boost::dll::import_alias<Function>(std::move(module), entry));
}

}  // namespace

std::optional<DocumentWriter> LoadDocumentWriter(const char* argv0, std::string& reason) {
  return LoadEntry<WriteDocumentsFunction>(argv0, kWriteDocumentsEntry, reason);
}

std::optional<HistoryPlotWriter> LoadHistoryPlotWriter(const char* argv0, std::string& reason) {
  return LoadEntry<WriteHistoryPlotFunction>(argv0, kWriteHistoryPlotEntry, reason);
}

}  // namespace mensuro::cli
