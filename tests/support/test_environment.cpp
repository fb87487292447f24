#include "tests/support/test_environment.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace veltrix::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "veltrix-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value)
    : m_name(name) {
    if (const char* old = std::getenv(name.c_str())) {
        m_old = old;
    }
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

ScopedEnv::~ScopedEnv() {
    if (m_old) {
        setenv(m_name.c_str(), m_old->c_str(), 1);
    } else {
        unsetenv(m_name.c_str());
    }
}

IsolatedEnvironment::IsolatedEnvironment() {
    for (const auto& folder :
         {Home(), DataHome(), RegistryFolder(), Root() / "config", Root() / "runtime"}) {
        std::filesystem::create_directories(folder);
    }
    std::filesystem::permissions(Root() / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    auto set = [this](const char* name, const std::filesystem::path& value) {
        m_vars.push_back(std::make_unique<ScopedEnv>(name, value.string()));
    };
    set("HOME", Home());
    set("XDG_DATA_HOME", DataHome());
    set("XDG_CONFIG_HOME", Root() / "config");
    set("XDG_RUNTIME_DIR", Root() / "runtime");
    set("VELTRIX_REGISTRY", RegistryFolder());
    m_vars.push_back(std::make_unique<ScopedEnv>("VELTRIX_NAMESPACE", Root().filename().string()));
    m_vars.push_back(
        std::make_unique<ScopedEnv>("VELTRIX_REGISTRY_MACHINE_READONLY", std::nullopt));
}

std::filesystem::path TestDataFolder() {
    return VELTRIX_TEST_DATA;
}

std::filesystem::path ProgramFolder() {
    return VELTRIX_PROGRAM_FOLDER;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> FromHex(const std::string& hex) {
    std::vector<unsigned char> bytes;
    if (hex == "-") {
        return bytes;
    }
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string ToHex(const std::vector<unsigned char>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0xF];
    }
    return hex;
}

}  // namespace veltrix::test
