#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace mensuro::cli {

// An option whose value the core reads as it is parsed, so that a malformed one is a usage
// error naming the option before anything is processed.
template <typename Value>
CLI::Option* AddReadOption(CLI::App& app, const std::string& name, std::optional<Value>& target,
                           std::optional<Value> (*read)(std::string_view, std::string&),
                           const std::string& typeName, const std::string& description) {
  return app
      .add_option_function<std::string>(
          name,
          [name, &target, read](const std::string& text) {
            std::string reason;
            target = read(text, reason);
            if (!target) {
              throw CLI::ValidationError(name, reason);
            }
          },
          description)
      ->type_name(typeName);
}

}  // namespace mensuro::cli
