// vtxreg: exports a registry key tree to a file (/E FILE KEY) and imports a file silently
// (/S FILE). Exit status 0 on success, 1 on failure, 2 on bad arguments.
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/text.h"
#include "tools/reg_file.h"

namespace {

using veltrix::platform::Registry;
namespace tools = veltrix::tools;
namespace text = veltrix::text;

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

int Fail(const std::string& message) {
    std::cerr << "vtxreg: " << message << '\n';
    return kFailure;
}

int Usage() {
    std::cerr << "usage: vtxreg /E FILE KEY   export the tree of KEY to FILE\n"
                 "       vtxreg /S FILE       import FILE silently\n"
                 "KEY begins with a hive: HKEY_CURRENT_USER (HKCU), HKEY_LOCAL_MACHINE (HKLM)\n"
                 "or HKEY_CLASSES_ROOT (HKCR).\n";
    return kUsage;
}

// 'E' or 'S' for "/E", "-e", "/s", ...; nullopt for anything else.
std::optional<char> SwitchLetter(const std::string& arg) {
    if (arg.size() != 2 || (arg[0] != '/' && arg[0] != '-')) {
        return std::nullopt;
    }
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(arg[1])));
    if (letter != 'E' && letter != 'S') {
        return std::nullopt;
    }
    return letter;
}

std::optional<std::string> ReadFile(const std::string& file, std::string& error) {
    std::error_code ignored;
    if (std::filesystem::is_directory(file, ignored)) {
        error = "cannot read " + file + ": it is a folder";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot read " + file + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        error = "cannot read " + file;
        return std::nullopt;
    }
    return bytes;
}

bool WriteFile(const std::string& file, const std::string& bytes, std::string& error) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot write " + file + ": " + std::strerror(errno);
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = "cannot write " + file;
        return false;
    }
    return true;
}

int Export(const std::string& file, const std::string& keyText) {
    auto key = tools::ParseKeyName(text::FromUtf8(keyText));
    if (!key) {
        return Fail("unknown hive in the key " + keyText);
    }
    auto bytes = tools::ExportKeyTree(Registry::Default(), *key);
    if (!bytes) {
        return Fail("the key " + keyText + " does not exist");
    }
    std::string error;
    return WriteFile(file, *bytes, error) ? kSuccess : Fail(error);
}

int Import(const std::string& file) {
    std::string error;
    auto bytes = ReadFile(file, error);
    if (!bytes) {
        return Fail(error);
    }
    tools::RegParseResult parsed = tools::ParseRegFile(*bytes);
    if (parsed.error) {
        return Fail(file + ": line " + std::to_string(parsed.errorLine) + ": " + *parsed.error +
                    "; nothing was imported");
    }
    if (!tools::ApplyRegChanges(Registry::Default(), parsed.changes, error)) {
        return Fail(file + ": " + error);
    }
    return kSuccess;
}

int Run(const std::vector<std::string>& args) {
    const auto letter = args.empty() ? std::nullopt : SwitchLetter(args[0]);
    if (letter == 'E' && args.size() == 3) {
        return Export(args[1], args[2]);
    }
    if (letter == 'S' && args.size() == 2) {
        return Import(args[1]);
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& exception) {
        return Fail(exception.what());
    } catch (...) {
        return Fail("unexpected failure");
    }
}
