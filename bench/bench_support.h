// Benchmark support: a temporary folder for a run, and settings, vault and session names pointed
// into it, so that benchmarks never touch the user's own.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace veltrix::bench {

class BenchFolder {
public:
    BenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veltrix-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A folder of its own with XDG_*, VELTRIX_REGISTRY and VELTRIX_NAMESPACE pointing into it.
class BenchEnvironment : public BenchFolder {
public:
    BenchEnvironment() {
        for (const char* sub : {"data", "config", "runtime", "registry"}) {
            std::filesystem::create_directories(Path() / sub);
        }
        setenv("XDG_DATA_HOME", (Path() / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Path() / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (Path() / "runtime").c_str(), 1);
        setenv("VELTRIX_REGISTRY", (Path() / "registry").c_str(), 1);
        setenv("VELTRIX_NAMESPACE", Path().filename().c_str(), 1);
    }
};

}  // namespace veltrix::bench
