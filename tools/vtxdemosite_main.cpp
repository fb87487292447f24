// vtxdemosite: serves the demonstration site on 127.0.0.1 until it is interrupted (or, with
// --until-input-ends, until its standard input ends).
//
//   vtxdemosite [--port N] [--site FOLDER] [--until-input-ends]
//
// It prints the site's address on the first line. Exit status 0 after an interruption, 1 when
// the site cannot be served, 2 on a misuse.
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/text.h"
#include "tools/demo_site.h"

namespace {

std::filesystem::path DefaultSite() {
    // Installed beside the program; else the sources' copy.
    const std::filesystem::path beside = veltrix::platform::ModuleFolder() / "demo-site";
    std::error_code error;
    if (std::filesystem::is_directory(beside, error)) {
        return beside;
    }
    return VELTRIX_DEMO_SITE_SOURCE;
}

void WaitForInputEnd() {
    char buffer[256];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
}

int WaitForSignal() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    int received = 0;
    sigwait(&signals, &received);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::uint16_t port = 0;
    std::filesystem::path site = DefaultSite();
    bool untilInputEnds = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            const auto value = veltrix::text::ParseInteger<std::uint32_t>(args[++i]);
            if (!value || *value > 65535) {
                std::cerr << "vtxdemosite: not a port: " << args[i] << '\n';
                return 2;
            }
            port = static_cast<std::uint16_t>(*value);
        } else if (args[i] == "--site" && i + 1 < args.size()) {
            site = args[++i];
        } else if (args[i] == "--until-input-ends") {
            untilInputEnds = true;
        } else {
            std::cerr << "usage: vtxdemosite [--port N] [--site FOLDER] [--until-input-ends]\n";
            return 2;
        }
    }
    // The server's thread must not take the signals waited for here.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    veltrix::http::LoopbackHttpServer server;
    veltrix::demosite::DemoSite demo(server, site);
    const auto started = server.Start(port);
    if (!started) {
        std::cerr << "vtxdemosite: " << started.Error() << '\n';
        return 1;
    }
    std::cout << server.Url("/") << '\n' << std::flush;
    if (untilInputEnds) {
        WaitForInputEnd();
    } else {
        WaitForSignal();
    }
    server.Stop();
    return 0;
}
