// The form engine on a large page: parsing the HTML, collecting and recognising its forms, and
// filling them from an Identity, each timed on its own; and the whole scan ("vtx form scan": the
// document built from HTML, then its forms collected) beside a bare parse of the same bytes, its
// anchor.
#include <benchmark/benchmark.h>
#include <gumbo.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "core/configuration.h"
#include "core/identity.h"
#include "formengine/dom/html_builder.h"
#include "formengine/fill/identity_fill.h"
#include "formengine/form/web_form.h"
#include "platform/registry.h"

namespace veltrix {
namespace {

constexpr char16_t kAddress[] = u"https://shop.example.com/checkout";

// A page of `forms` checkout-like forms of 25 fields each, with labels in table cells and some
// prose between them, as large pages have.
std::string LargePage(int forms) {
    static const char* const kRows[] = {"First name",
                                        "Last name",
                                        "E-mail",
                                        "Company",
                                        "Street address",
                                        "Address line 2",
                                        "City",
                                        "Zip code",
                                        "Home phone",
                                        "Mobile phone",
                                        "Fax",
                                        "Job title",
                                        "Department",
                                        "Card number",
                                        "Security code",
                                        "Name on card",
                                        "Bank name",
                                        "Account number",
                                        "Routing number",
                                        "Social security number",
                                        "Driver's license",
                                        "Mother's maiden name",
                                        "Place of birth",
                                        "Middle name",
                                        "Title"};
    std::string html = "<html><head><title>Checkout</title></head><body>";
    for (int f = 0; f < forms; ++f) {
        html += "<div class=intro><p>";
        for (int p = 0; p < 40; ++p) {
            html += "Please check the details below carefully before you continue. ";
        }
        html += "</p></div><form action=/step" + std::to_string(f) + " method=post><table>";
        int i = 0;
        for (const char* label : kRows) {
            html += "<tr><td class=label>" + std::string(label) +
                    ":</td><td><input type=text name=f" + std::to_string(f) + "_" +
                    std::to_string(i++) + " size=30></td></tr>";
        }
        html +=
            "<tr><td>Expires:</td><td><select name=m><option>01</option><option>02</option>"
            "<option>03</option><option>04</option><option>05</option><option>06</option>"
            "<option>07</option><option>08</option><option>09</option><option>10</option>"
            "<option>11</option><option>12</option></select></td></tr>";
        html += "</table><input type=submit value=Continue></form>";
    }
    return html + "</body></html>";
}

void FillBenchIdentity(CIdentity& identity) {
    for (std::size_t i = 0; i < kIdentityKeyNames.size(); ++i) {
        identity.Set(static_cast<IdentityKey>(i),
                     u"value of " + std::u16string(kIdentityKeyNames[i]));
    }
    identity.Set(IdentityKey::HomePhone1, u"555");
    identity.Set(IdentityKey::HomePhone2, u"1234567");
}

void BM_ParseLargePage(benchmark::State& state) {
    const std::string html = LargePage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(dom::BuildDocumentFromHtml(html, kAddress));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
    state.counters["kB"] = static_cast<double>(html.size()) / 1024;
}
BENCHMARK(BM_ParseLargePage)->Arg(50)->Unit(benchmark::kMillisecond);

// The anchor: the HTML5 parser alone on the same bytes, its tree freed again.
void BM_BareGumboParse(benchmark::State& state) {
    const std::string html = LargePage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        GumboOutput* output =
            gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
        benchmark::DoNotOptimize(output);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
    state.counters["kB"] = static_cast<double>(html.size()) / 1024;
}
BENCHMARK(BM_BareGumboParse)->Arg(50)->Unit(benchmark::kMillisecond);

// Collects and recognises the document's forms; the number of fields they hold.
std::size_t CollectedFieldCount(const std::shared_ptr<dom::MemoryDocument>& document) {
    PageFormList forms;
    CollectForms(document, kAddress, forms);
    std::size_t fields = 0;
    for (const auto& form : forms) {
        fields += form->fields.size();
    }
    benchmark::DoNotOptimize(forms);
    return fields;
}

// What "vtx form scan" does with a page: build the document, collect and recognise its forms.
void BM_ScanLargePage(benchmark::State& state) {
    const std::string html = LargePage(static_cast<int>(state.range(0)));
    std::size_t fields = 0;
    for (auto _ : state) {
        const auto document = dom::BuildDocumentFromHtml(html, kAddress);
        fields = CollectedFieldCount(document);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
    state.counters["fields"] = static_cast<double>(fields);
}
BENCHMARK(BM_ScanLargePage)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_CollectAndRecogniseForms(benchmark::State& state) {
    const auto document =
        dom::BuildDocumentFromHtml(LargePage(static_cast<int>(state.range(0))), kAddress);
    std::size_t fields = 0;
    for (auto _ : state) {
        fields = CollectedFieldCount(document);
    }
    state.counters["fields"] = static_cast<double>(fields);
}
BENCHMARK(BM_CollectAndRecogniseForms)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_FillWithIdentity(benchmark::State& state) {
    bench::BenchEnvironment environment;  // the fill reads the highlight preference
    config::Settings settings(platform::Registry::Default());
    const auto document =
        dom::BuildDocumentFromHtml(LargePage(static_cast<int>(state.range(0))), kAddress);
    PageFormList forms;
    CollectForms(document, kAddress, forms);
    CIdentity identity;
    FillBenchIdentity(identity);
    const CIdentityFiller filler(identity, u"Bench", settings);
    for (auto _ : state) {
        for (const auto& form : forms) {
            if (!form->loginForm) {
                filler.FillForm(*form);
            }
        }
    }
}
BENCHMARK(BM_FillWithIdentity)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veltrix
