// The time the extension adds to a live page load through the page bridge: the snapshot taken on
// the page's side, its way to the host, and the host's reading and building of it with the helper
// object's recognition and decision, on a small login page and on a page of 1,300 fields in 50
// forms. Reported as manual time per load, with medians of each part; beside it, the bare parse of
// the same markup three ways: the browser's own (DOMParser in the page, after each load), the
// headless host's HTML builder timed in place after each load, and the builder in a warm loop.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "browserhost/web/live_browser.h"
#include "core/configuration.h"
#include "core/password_source.h"
#include "formengine/dom/html_builder.h"
#include "formengine/helper/bho_view.h"
#include "platform/registry.h"
#include "tools/http/loopback_http_server.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

std::string SmallPage() {
    return "<title>Bank: Sign in</title><form action=/session method=post>"
           "<label>User <input name=user></label>"
           "<label>Password <input type=password name=pass></label>"
           "<input type=submit value='Sign in'></form>";
}

// 50 forms of 26 labelled fields each, in a table layout as real sign-up pages have.
std::string LargePage() {
    static const char* kNames[] = {
        "fname", "lname", "email",   "addr1",  "addr2", "city",   "state",  "zip",   "country",
        "phone", "fax",   "company", "title",  "ccnum", "ccexp",  "ccname", "bank",  "acct",
        "user",  "nick",  "birth",   "gender", "web",   "mobile", "middle", "suffix"};
    std::string html = "<title>Large</title><h1>Many forms</h1>";
    for (int form = 0; form < 50; ++form) {
        html += "<form action=/f" + std::to_string(form) + " method=post><table>";
        for (int field = 0; field < 26; ++field) {
            const std::string name = kNames[field];
            html += "<tr><td><label for=" + name + std::to_string(form) + ">" + name +
                    "</label></td><td><input id=" + name + std::to_string(form) + " name=" + name +
                    " size=30></td></tr>";
        }
        html += "</table><input type=submit value=Send></form>";
    }
    return html;
}

class FixedPassword : public IPasswordSource {
public:
    bool GetPassword(std::u16string& password) override {
        password = u"Correct horse";
        return true;
    }
    bool EndSession() override { return true; }
};

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done() && std::chrono::steady_clock::now() < end) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The browser's own parse of the same markup, in the page's process, as a page load does it.
double BrowserParseMs(QWebEnginePage& page, const std::string& html) {
    const QString literal = QString::fromUtf8(
        QJsonDocument(QJsonArray{QString::fromStdString(html)}).toJson(QJsonDocument::Compact));
    double ms = -1;
    page.runJavaScript(QStringLiteral("(() => { const html = %1[0]; const t = performance.now();"
                                      " new DOMParser().parseFromString(html, 'text/html');"
                                      " return performance.now() - t; })()")
                           .arg(literal),
                       [&ms](const QVariant& result) { ms = result.toDouble(); });
    WaitFor([&ms] { return ms >= 0; }, 30000);
    return ms;
}

double BareParseMs(const std::string& html) {
    const auto started = std::chrono::steady_clock::now();
    auto document = dom::BuildDocumentFromHtml(html, u"http://127.0.0.1/page");
    benchmark::DoNotOptimize(document);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
        .count();
}

void BM_LiveLoad(benchmark::State& state, const std::string& html, bool withHelper) {
    FixedPassword password;
    SetPasswordSource(&password);
    ui::ScriptedUi ui;
    auto settings = std::make_shared<config::Settings>(platform::Registry::Default());
    http::LoopbackHttpServer server;
    server.Handle("GET", "/page",
                  [&html](const http::HttpRequest&) { return http::HttpResponse::Html(html); });
    if (!server.Start()) {
        state.SkipWithError("no server");
        return;
    }
    QWebEngineProfile profile;
    QWebEnginePage page(&profile);
    browserhost::LiveBrowser browser(&page, 0x00A30001);
    com::ComPtr<IObjectWithSite> helper;
    if (withHelper) {
        BHOView::Create(settings, IObjectWithSite::kIid, helper.PutVoid());
        browser.AttachHelperObject(helper.Get());
    }
    int completed = 0;
    QObject::connect(&browser, &browserhost::LiveBrowser::DocumentCompleted,
                     [&completed](const QString&, bool top) { completed += top ? 1 : 0; });
    // Per load: the extension's time (page, transit, host), its parts, and the bare parse.
    std::vector<double> total, pageMs, transitMs, hostMs, waitMs, bareMs, browserMs;
    for (auto _ : state) {
        const int before = completed;
        page.load(QUrl(QString::fromStdString(server.Url("/page"))));
        if (!WaitFor([&] { return completed > before; }, 30000)) {
            state.SkipWithError("the page did not complete");
            break;
        }
        const auto timings = browser.LastLoadTimings();
        pageMs.push_back(timings.pageMs);
        transitMs.push_back(timings.transitMs);
        hostMs.push_back(timings.hostMs);
        waitMs.push_back(timings.waitMs);
        total.push_back(timings.pageMs + timings.transitMs + timings.hostMs);
        // The bare parse of the same markup in this process right after the load, sharing the
        // machine with the page's own work after its load as the extension does.
        bareMs.push_back(BareParseMs(html));
        browserMs.push_back(BrowserParseMs(page, html));
        state.SetIterationTime(total.back() / 1000.0);
    }
    // Medians: a load now and then waits on something else of the machine's.
    state.counters["page_ms"] = Median(pageMs);
    state.counters["transit_ms"] = Median(transitMs);
    state.counters["host_ms"] = Median(hostMs);
    state.counters["page_busy_ms"] = Median(waitMs);
    state.counters["total_ms"] = Median(total);
    state.counters["bare_parse_here_ms"] = Median(bareMs);
    state.counters["ratio_to_bare_here"] = Median(total) / std::max(Median(bareMs), 1e-6);
    state.counters["browser_parse_ms"] = Median(browserMs);
    state.counters["ratio_to_browser_parse"] = Median(total) / std::max(Median(browserMs), 1e-6);
    browser.Close();
    SetPasswordSource(nullptr);
}

void BM_BareParse(benchmark::State& state, const std::string& html) {
    for (auto _ : state) {
        auto document = dom::BuildDocumentFromHtml(html, u"http://127.0.0.1/page");
        benchmark::DoNotOptimize(document);
    }
}

}  // namespace
}  // namespace veltrix

int main(int argc, char** argv) {
    veltrix::bench::BenchEnvironment environment;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const std::string small = veltrix::SmallPage();
    const std::string large = veltrix::LargePage();
    // With the helper object (recognition and decision), and the bridge alone.
    for (const bool helper : {true, false}) {
        const std::string suffix = helper ? "" : "/bridge_only";
        benchmark::RegisterBenchmark(("BM_LiveLoad/small_login" + suffix).c_str(),
                                     veltrix::BM_LiveLoad, small, helper)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(30);
        benchmark::RegisterBenchmark(("BM_LiveLoad/1300_fields_50_forms" + suffix).c_str(),
                                     veltrix::BM_LiveLoad, large, helper)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(30);
    }
    benchmark::RegisterBenchmark("BM_BareParse/small_login", veltrix::BM_BareParse, small)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_BareParse/1300_fields_50_forms", veltrix::BM_BareParse, large)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
