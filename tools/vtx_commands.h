// The commands of vtx, the command-line front end to the vault. Each returns the process's exit
// status: 0 on success, 1 on failure (the reason already shown through the UI port), 2 on misuse.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/record_kind.h"

namespace veltrix::vtx {

inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

// "identities", "weblogins", "notes" (plural = true) or "identity", "weblogin", "note".
std::optional<RecordKind> ParseRecordKind(const std::string& word, bool plural);

int ListRecords(config::Settings& settings, RecordKind kind, std::ostream& out);
int ShowRecord(config::Settings& settings, RecordKind kind, const std::string& name,
               std::ostream& out);
int PutRecord(config::Settings& settings, RecordKind kind, const std::string& name,
              std::istream& in);
int GetConfig(config::Settings& settings, const std::string& name, std::ostream& out);
int SetConfig(config::Settings& settings, const std::string& name, const std::string& value);

// Parses the command line and runs the command; the master password comes from the first line of
// --password-file when given, else from a prompt on the terminal.
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);

}  // namespace veltrix::vtx
