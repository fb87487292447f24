// Test support: every test runs in a temporary folder of its own, with HOME, the XDG folders,
// VELTRIX_REGISTRY and VELTRIX_NAMESPACE pointing into it, so nothing touches the user's files.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace veltrix::test {

// A fresh temporary folder, removed with everything in it at destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Sets an environment variable for a scope (nullopt unsets it) and restores the old value.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// The isolated environment of one test.
class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    const std::filesystem::path& Root() const { return m_temp.Path(); }
    std::filesystem::path Home() const { return Root() / "home"; }
    std::filesystem::path DataHome() const { return Root() / "data"; }
    std::filesystem::path RegistryFolder() const { return Root() / "registry"; }
    // The data root the configuration store defaults to: DataHome()/Orvane/Veltrix/.
    std::filesystem::path VaultFolder() const { return DataHome() / "Orvane" / "Veltrix"; }

private:
    TempFolder m_temp;
    std::vector<std::unique_ptr<ScopedEnv>> m_vars;
};

// The project's test data (tests/data).
std::filesystem::path TestDataFolder();
// The folder that holds the built programs (vtx, vtxreg, ...).
std::filesystem::path ProgramFolder();

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// Bytes from hexadecimal text ("-" or "" is empty).
std::vector<unsigned char> FromHex(const std::string& hex);
std::string ToHex(const std::vector<unsigned char>& bytes);

}  // namespace veltrix::test
