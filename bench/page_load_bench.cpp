// A login page opened in the headless browser with the helper object attached: the navigation
// events, the parse, the collection of the forms and the Web Login decision, which reads every
// Web Login saved for the site. Timed for a site with 1, 10 and 50 saved Web Logins, beside the
// cost of reading one Web Login file alone (the cipher's share of each saved Web Login).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_support.h"
#include "browserhost/headless_browser.h"
#include "core/configuration.h"
#include "core/password_source.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/web_login.h"
#include "core/web_login_index.h"
#include "formengine/helper/bho_view.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

constexpr char16_t kLogin[] = u"https://www.bank.example/login";

class FixedPassword : public IPasswordSource {
public:
    bool GetPassword(std::u16string& password) override {
        password = u"Correct horse";
        return true;
    }
    bool EndSession() override { return true; }
};

void SaveWebLogins(config::Settings& settings, int count) {
    const std::u16string folder = settings.GetRecordFolder(RecordKind::WebLogin);
    std::filesystem::create_directories(text::ToUtf8(folder));
    for (int i = 0; i < count; ++i) {
        const std::u16string name = u"Login " + text::FromInt(i);
        CWebLogin login;
        login.SetPageUrl(kLogin);
        login.AddField({u"user", 0, 0, u"user" + text::FromInt(i), 0});
        login.AddField({u"pass", 0, 1, u"secret", 0});
        if (!WriteWebLogin(RecordPath(folder, name, RecordKind::WebLogin), login)) {
            return;
        }
        AddWebLoginToIndex(settings, kLogin, name);
    }
}

void BM_OpenLoginPage(benchmark::State& state) {
    bench::BenchEnvironment environment;
    FixedPassword password;
    SetPasswordSource(&password);
    ui::ScriptedUi ui;
    auto settings = std::make_shared<config::Settings>(platform::Registry::Default());
    SaveWebLogins(*settings, static_cast<int>(state.range(0)));
    // Prompting mode: the decision reads every saved Web Login and shows the prompt.
    settings->SetPreferences(config::pref::kDefault);
    const auto page = environment.Path() / "login.html";
    std::ofstream(page) << "<title>Bank</title><form action=/session method=post>"
                           "<input name=user><input type=password name=pass>"
                           "<input type=submit value='Sign in'></form>";

    com::ComPtr<IObjectWithSite> helper;
    BHOView::Create(settings, IObjectWithSite::kIid, helper.PutVoid());
    browserhost::HeadlessBrowser browser;
    browser.AttachHelperObject(helper.Get());
    browser.MapPage(kLogin, page);
    for (auto _ : state) {
        browser.Navigate(kLogin);
    }
    browser.Close();
    SetPasswordSource(nullptr);
}
BENCHMARK(BM_OpenLoginPage)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

// The anchor: reading one saved Web Login file, which every saved Web Login of the page costs.
void BM_ReadOneWebLogin(benchmark::State& state) {
    bench::BenchEnvironment environment;
    FixedPassword password;
    SetPasswordSource(&password);
    ui::ScriptedUi ui;
    config::Settings settings(platform::Registry::Default());
    SaveWebLogins(settings, 1);
    const std::u16string path = RecordPath(settings.GetRecordFolder(RecordKind::WebLogin),
                                           u"Login 0", RecordKind::WebLogin);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadWebLogin(path).HasValue());
    }
    SetPasswordSource(nullptr);
}
BENCHMARK(BM_ReadOneWebLogin)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veltrix
