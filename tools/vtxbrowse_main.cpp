// vtxbrowse: the browser host. `vtxbrowse --headless SCRIPT` runs a browse script (see
// docs/vtxbrowse.md) in a headless window with the helper objects the registry lists, printing
// what happens; it exits 0 when every line ran, 1 when a line failed or the script cannot be
// read, 2 on a misuse.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "browserhost/browse_script.h"
#include "browserhost/headless_browser.h"
#include "browserhost/script_runner.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kMisuse = 2;

int RunHeadless(const std::filesystem::path& script) {
    using namespace veltrix::browserhost;
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        std::cerr << "vtxbrowse: cannot read " << script.string() << '\n';
        return kFailure;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<ScriptLine> lines;
    std::string error;
    if (!ParseScript(text, lines, error)) {
        std::cerr << "vtxbrowse: " << script.string() << ": " << error << '\n';
        return kFailure;
    }

    // The UI outlives the window, whose helper objects use it until they are let go.
    EchoingUi ui(std::cout);
    HeadlessBrowser browser;
    browser.SetLogObserver([](const std::string& line) {
        std::cout << line << '\n' << std::flush;
    });
    const int loaded = browser.LoadHelperObjects();
    std::cout << "helper objects loaded: " << loaded << '\n';

    ScriptRunner runner(browser, ui, std::filesystem::absolute(script).parent_path(), std::cout);
    if (!runner.Run(lines, error)) {
        std::cout << std::flush;
        std::cerr << "vtxbrowse: " << script.string() << ": " << error << '\n';
        browser.Close();
        return kFailure;
    }
    browser.Close();
    std::cout << "script completed\n";
    return kSuccess;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] != "--headless") {
        std::cout << "vtxbrowse: only the headless mode exists yet: vtxbrowse --headless SCRIPT\n";
        return kMisuse;
    }
    if (args.size() != 2) {
        std::cerr << "usage: vtxbrowse --headless SCRIPT\n";
        return kMisuse;
    }
    return RunHeadless(args[1]);
}
