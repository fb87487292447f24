// A login page opened in the headless browser with the helper object attached: the navigation
// events, the parse, the collection of the forms and the Web Login decision, which reads every
// Web Login saved for the site. Timed for a site with 1, 10 and 50 saved Web Logins.
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
#include "formengine/bho_view.h"
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

void SaveWebLogins(int count) {
    const std::u16string folder = config::GetRecordFolder(RecordKind::WebLogin);
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
        AddWebLoginToIndex(kLogin, name);
    }
}

void BM_OpenLoginPage(benchmark::State& state) {
    bench::BenchEnvironment environment;
    FixedPassword password;
    SetPasswordSource(&password);
    ui::ScriptedUi ui;
    SaveWebLogins(static_cast<int>(state.range(0)));
    // Prompting mode: the decision reads every saved Web Login and shows the prompt.
    config::SetPreferences(config::pref::kDefault);
    const auto page = environment.Path() / "login.html";
    std::ofstream(page) << "<title>Bank</title><form action=/session method=post>"
                           "<input name=user><input type=password name=pass>"
                           "<input type=submit value='Sign in'></form>";

    com::ComPtr<IObjectWithSite> helper;
    BHOView::Create(IObjectWithSite::kIid, helper.PutVoid());
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

}  // namespace
}  // namespace veltrix
