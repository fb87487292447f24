// Every page of the hostile corpus through `vtx form scan`, `vtx form fill` and a headless page
// load with vtxcore attached, each run as a child process under an address-space limit: none
// crashes, hangs or runs out of memory, and each ends within generous bounds (the benchmark
// hostile_page_bench measures the real figures in a release build).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/hostile_pages.h"
#include "tests/support/limited_run.h"
#include "tests/support/test_environment.h"

namespace veltrix {
namespace {

// Generous beside the 5 s and 512 MB a release build is held to: this runs in a debug build,
// two or more at a time, so the processor time is bounded, and the wall time only against hangs.
#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer the programs reserve terabytes of shadow address space, run a few times
// slower and keep freed memory in quarantine: no address-space cap, wider time and memory bounds.
constexpr double kSanitizerFactor = 4;
constexpr std::size_t kAddressSpaceBytes = RLIM_INFINITY;
#else
constexpr double kSanitizerFactor = 1;
constexpr std::size_t kAddressSpaceBytes = std::size_t{4} << 30;
#endif
constexpr double kMaxCpuSeconds = 20 * kSanitizerFactor;
constexpr double kMaxSeconds = 90 * kSanitizerFactor;
constexpr std::size_t kMaxResidentBytes =
    static_cast<std::size_t>(kSanitizerFactor) * (std::size_t{512} << 20);
constexpr char kPassword[] = "Correct horse";

const std::map<std::string, test::HostilePage>& Corpus() {
    static const auto corpus = [] {
        std::map<std::string, test::HostilePage> pages;
        for (auto& page : test::HostilePages()) {
            pages.emplace(page.name, std::move(page));
        }
        return pages;
    }();
    return corpus;
}

std::vector<std::string> PageNames() {
    std::vector<std::string> names;
    for (const auto& [name, page] : Corpus()) {
        names.push_back(name);
    }
    return names;
}

class HostilePageTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        m_passwordFile = m_env.Root() / "password";
        test::WriteFileBytes(m_passwordFile, std::string(kPassword) + "\n");
        ASSERT_EQ(Run("vtx", {"register"}).exitCode, 0);
        const auto identity = m_env.Root() / "identity.txt";
        test::WriteFileBytes(identity, "<fname>Ann</fname>\r\n<email>ann@example.com</email>");
        ASSERT_EQ(Run("/bin/sh", {"-c", "'" + Program("vtx").string() + "' --password-file '" +
                                            m_passwordFile.string() + "' put identity Ann < '" +
                                            identity.string() + "'"})
                      .exitCode,
                  0);
    }

    std::filesystem::path Program(const std::string& name) const {
        return test::ProgramFolder() / name;
    }

    test::LimitedRunResult Run(const std::string& program, const std::vector<std::string>& args) {
        test::RunLimits limits;
        limits.wall = std::chrono::milliseconds(static_cast<int>(kMaxSeconds * 1000));
        limits.addressSpaceBytes = kAddressSpaceBytes;
        const auto path =
            program.front() == '/' ? std::filesystem::path(program) : Program(program);
        return test::RunLimited(path, args, limits, m_env.Root() / "output");
    }

    // The run ended on its own, within the bounds; `what` names it in failures.
    static void ExpectWithinBounds(const test::LimitedRunResult& run, const std::string& what) {
        std::cout << what << ": " << run.seconds << " s (processor " << run.cpuSeconds << " s), "
                  << (run.peakResidentBytes >> 20) << " MB\n";
        EXPECT_TRUE(run.Finished())
            << what << ": signal " << run.signal << ", timed out " << run.timedOut << "\n"
            << run.output.substr(0, 2000);
        EXPECT_LT(run.cpuSeconds, kMaxCpuSeconds) << what;
        EXPECT_LT(run.peakResidentBytes, kMaxResidentBytes) << what;
    }

    test::IsolatedEnvironment m_env;
    std::filesystem::path m_passwordFile;
};

TEST_P(HostilePageTest, ScanFillAndHeadlessLoadEndWithinBounds) {
    const test::HostilePage& page = Corpus().at(GetParam());
    const auto file = m_env.Root() / (page.name + ".html");
    test::WriteFileBytes(file, page.make());

    const auto scan = Run("vtx", {"form", "scan", file.string()});
    ExpectWithinBounds(scan, "vtx form scan");
    EXPECT_EQ(scan.exitCode, 0) << scan.output.substr(0, 2000);
    if (page.endsInLogin) {
        EXPECT_NE(scan.output.find("login=1"), std::string::npos) << scan.output.substr(0, 2000);
    }
    if (page.nestsPastLimit) {
        EXPECT_NE(scan.output.find("deeper than 512 levels"), std::string::npos);
    }

    const auto fill = Run("vtx", {"--password-file", m_passwordFile.string(), "form", "fill",
                                  file.string(), "--identity", "Ann"});
    ExpectWithinBounds(fill, "vtx form fill");
    // A page without an Identity form is a refusal (1), not a failure of the program.
    EXPECT_TRUE(fill.exitCode == 0 || fill.exitCode == 1) << fill.output.substr(0, 2000);

    const auto script = m_env.Root() / "load.vtxb";
    test::WriteFileBytes(script, "open file://" + file.string() + "\nclose\n");
    const auto load = Run("vtxbrowse", {"--headless", script.string()});
    ExpectWithinBounds(load, "vtxbrowse --headless");
    EXPECT_EQ(load.exitCode, 0) << load.output.substr(0, 2000);
    EXPECT_NE(load.output.find("script completed"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostilePageTest, ::testing::ValuesIn(PageNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

}  // namespace
}  // namespace veltrix
