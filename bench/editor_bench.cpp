// The editor's start-up with a large vault: the tree built from 10,000 records of each kind (the
// listing alone and the tree widget), and the start from the frame's creation to the first shown
// frame, with the Web Login URL index rebuilt from every Web Login on the way. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench/bench_support.h"
#include "core/password_source.h"
#include "core/record_io.h"
#include "editor/qt/left_view.h"
#include "editor/qt/main_frame.h"
#include "editor/qt/right_view.h"
#include "editor/record_tree.h"
#include "editor/vault_upkeep.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

constexpr char16_t kPassword[] = u"Bench-pw1";

class FixedPasswordSource : public IPasswordSource {
public:
    bool GetPassword(std::u16string& password) override {
        password = kPassword;
        return true;
    }
    bool EndSession() override { return true; }
};

// A vault of `count` records of each kind. Identities and notes are only listed, so any bytes do;
// the Web Logins are real, since the start reads each of them for the index.
struct LargeVault {
    explicit LargeVault(int count, bool realWebLogins) {
        SetPasswordSource(&passwords);
        const std::filesystem::path folder = environment.Path() / "data" / "Orvane" / "Veltrix";
        std::filesystem::create_directories(folder);
        for (int i = 0; i < count; ++i) {
            const std::string name = "Record " + std::to_string(i);
            std::ofstream(folder / (name + ".vxi")) << "x";
            std::ofstream(folder / (name + ".vxn")) << "x";
            if (!realWebLogins) {
                std::ofstream(folder / (name + ".vxw")) << "x";
                continue;
            }
            CWebLogin login;
            login.SetPageUrl(u"https://site" + text::FromInt(i) + u".example/login");
            login.AddField({u"user", 0, 0, u"someone", 0});
            (void)WriteWebLogin(text::FromUtf8((folder / (name + ".vxw")).string()), login);
        }
    }
    ~LargeVault() { SetPasswordSource(nullptr); }

    bench::BenchEnvironment environment;
    FixedPasswordSource passwords;
    ui::ScriptedUi ui;
    config::Settings settings{platform::Registry::Default()};
};

void BM_TreeListing(benchmark::State& state) {
    LargeVault vault(static_cast<int>(state.range(0)), false);
    for (auto _ : state) {
        editor::RecordTree tree;
        tree.Build(vault.settings);
        benchmark::DoNotOptimize(tree.PathCount());
    }
}
BENCHMARK(BM_TreeListing)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_TreeWidgetBuild(benchmark::State& state) {
    LargeVault vault(static_cast<int>(state.range(0)), false);
    editor::qt::CRightView right(vault.settings);
    editor::qt::CLeftView tree(vault.settings, right);
    for (auto _ : state) {
        tree.Build();
        benchmark::DoNotOptimize(tree.topLevelItemCount());
    }
}
BENCHMARK(BM_TreeWidgetBuild)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// From the frame's creation to its first shown frame: tree, command line, first activation, the
// index rebuilt from every Web Login (the first start fills it; later starts find it filled).
void BM_StartToFirstFrame(benchmark::State& state) {
    LargeVault vault(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        editor::qt::CMainFrame frame(vault.settings, u"/O");
        frame.SetHelpOpener([](int) {});
        frame.FirstActivation();
        editor::RebuildWebLoginIndex(vault.settings);
        frame.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(frame.isVisible());
    }
}
BENCHMARK(BM_StartToFirstFrame)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veltrix

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    veltrix::ui::QtEventLoopScope loops;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
