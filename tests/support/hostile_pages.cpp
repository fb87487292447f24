#include "tests/support/hostile_pages.h"

#include <cstdint>
#include <string_view>
#include <utility>

namespace veltrix::test {
namespace {

// Far deeper than the parser copes with unguarded, yet within the start tags read, so that the
// login form at the end is still read.
constexpr int kDeep = 40000;
constexpr int kWide = 60000;
constexpr int kMany = 20000;

// A login form after the hostile part, so that a scan has something to find.
constexpr std::string_view kLoginForm =
    "<form action=/login><input name=user><input type=password name=pass>"
    "<input type=submit value=Login></form>";

std::string Repeat(std::string_view piece, int count) {
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(count) + kLoginForm.size());
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

std::string WithLogin(std::string page) {
    page += kLoginForm;
    return page;
}

// Numbered pieces: `before` K `after`, for K from 0.
std::string Numbered(std::string_view before, std::string_view after, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += before;
        out += std::to_string(i);
        out += after;
    }
    return out;
}

// Bytes that are not UTF-8 (stray continuation bytes, overlong forms, surrogates, bytes past
// U+10FFFF, cut sequences) among tags, from a fixed pseudo-random sequence.
std::string InvalidUtf8() {
    static constexpr std::string_view kBad[] = {"\x80",         "\xBF\xBF",     "\xC0\xAF",
                                                "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                                "\xF8\x88\x80", "\xFF\xFE",     "\xE2\x82"};
    std::uint32_t state = 12345;
    std::string out = "<form><label>N\xC3";
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        const std::uint32_t pick = (state >> 16) % 16;
        if (pick < 9) {
            out += kBad[pick];
        } else if (pick == 9) {
            out += "<input name=\"f\xC3\x28" + std::to_string(i) + "\" value=\"\xE2\x28\xA1\">";
        } else if (pick == 10) {
            out += "<b\xFF>";
        } else if (pick == 11) {
            out += "</label><label>\xF0\x9F\x98";
        } else {
            out += static_cast<char>('a' + pick);
        }
    }
    return out;
}

using Pages = std::vector<HostilePage>;

void Add(Pages& pages, std::string name, std::function<std::string()> make) {
    pages.push_back({std::move(name), std::move(make), false, false});
}

// A page of `make`'s markup followed by the login form.
void AddWithLogin(Pages& pages, std::string name, std::function<std::string()> make) {
    pages.push_back({std::move(name), [make] { return WithLogin(make()); }, true, false});
}

void AddNested(Pages& pages) {
    struct Nested {
        std::string_view name;
        std::string_view piece;
        bool nests;       // the parser nests it: the page passes the nesting limit
        bool keepsLogin;  // the login form after it is part of the page (not inside SVG or a
                          // template's content)
    };
    static constexpr Nested kPieces[] = {
        {"div", "<div>", true, true},
        {"span", "<span>", true, true},
        {"b", "<b>", true, true},
        {"i", "<i>", true, true},
        {"font", "<font color=red>", true, true},
        {"a", "<a href=#>", false, true},
        {"p_span", "<p><span>", true, true},
        {"ul_li", "<ul><li>", true, true},
        {"dl_dd", "<dl><dd>", true, true},
        {"table", "<table><tr><td>", true, true},
        {"table_only", "<table>", true, true},
        {"form", "<form>", false, true},
        {"fieldset", "<fieldset>", true, true},
        {"label", "<label>", true, true},
        {"button", "<button>", false, true},
        {"select", "<select><option>", false, true},
        {"option_span", "<option><span>", true, true},
        {"section", "<section>", true, true},
        {"blockquote", "<blockquote>", true, true},
        {"svg", "<svg><g>", true, false},
        {"object", "<object>", true, true},
        {"nobr", "<nobr>", false, true},
        {"template", "<template>", true, false},
        {"div_self_closing", "<div/>", true, true},
        {"heading", "<h1><h2>", true, true},
        {"optgroup", "<optgroup>", true, true},
        {"li_dd", "<li><dd>", true, true},
    };
    for (const Nested& nested : kPieces) {
        const std::string piece(nested.piece);
        pages.push_back({"nested_" + std::string(nested.name),
                         [piece] { return WithLogin(Repeat(piece, kDeep)); }, nested.keepsLogin,
                         nested.nests});
    }
    AddWithLogin(pages, "nested_div_closed",
                 [] { return Repeat("<div>", kDeep) + Repeat("</div>", kDeep); });
    Add(pages, "nested_table_form",
        [] { return Repeat("<table><tr><td><form><input name=q>", kMany); });
}

void AddFormatting(Pages& pages) {
    AddWithLogin(pages, "unclosed_b_text", [] { return Repeat("<b>x", kWide); });
    AddWithLogin(pages, "unclosed_b_distinct", [] { return Numbered("<b id=", ">x", kWide); });
    AddWithLogin(pages, "misnested_b_i", [] { return Repeat("<b><i>x</b></i>", kWide); });
    AddWithLogin(pages, "adoption_a_p", [] { return Repeat("<a href=#><p>x</a>", kWide); });
    AddWithLogin(pages, "adoption_b_div", [] { return Repeat("<b><div>x</b>", kWide); });
}

void AddForms(Pages& pages) {
    Add(pages, "forms_many", [] { return Repeat(kLoginForm, kMany); });
    Add(pages, "forms_unclosed", [] { return Numbered("<form><input name=u", ">", kMany); });
    Add(pages, "forms_in_tables", [] {
        return Numbered("<table><tr><form><td><input name=u", "></td></form></tr></table>", kMany);
    });
    Add(pages, "radios_in_form", [] {
        return "<form>" + Repeat("<input type=radio name=r value=1 checked>", kMany) + "</form>";
    });
    Add(pages, "radios_without_form",
        [] { return Repeat("<input type=radio name=r checked>", kMany); });
    Add(pages, "radio_groups", [] {
        return "<form>" + Numbered("<input type=radio checked name=g", ">", kMany) + "</form>";
    });
    Add(pages, "inputs_without_text",
        [] { return "<form>" + Numbered("<input name=f", ">", kWide * 2) + "</form>"; });
    Add(pages, "options_many", [] {
        return "<form><select name=country>" + Numbered("<option value=", ">Country", kWide * 2) +
               "</select></form>";
    });
    // Identity forms whose fill rules look at the fields that follow (street lines, zip parts).
    Add(pages, "street_fields_many", [] {
        return "<form><input name=firstname><input name=lastname>" +
               Repeat("<input name=address>", kWide * 2) + "</form>";
    });
    Add(pages, "zip_fields_many", [] {
        return "<form><input name=firstname><input name=lastname>" +
               Repeat("<input name=zip size=2 maxlength=2>", kWide * 2) + "</form>";
    });
    Add(pages, "labels_many", [] {
        return "<form>" + Numbered("<label for=f", ">First name</label><input>", kMany) + "</form>";
    });
}

void AddHuge(Pages& pages) {
    static const auto kSixMegabytes = [] { return std::string(std::size_t{6} << 20, 'x'); };
    Add(pages, "huge_attribute",
        [] { return "<form><input name=email value=\"" + kSixMegabytes() + "\"></form>"; });
    Add(pages, "huge_attribute_name",
        [] { return "<form><input " + kSixMegabytes() + "=1 name=email></form>"; });
    Add(pages, "huge_tag_name",
        [] { return "<form><" + kSixMegabytes() + "><input name=email></form>"; });
    Add(pages, "many_attributes",
        [] { return "<form><input" + Numbered(" a", "=1", 300000) + "></form>"; });
    Add(pages, "huge_text_label",
        [] { return "<form><label>" + Repeat("first name ", 600000) + "</label><input></form>"; });
    AddWithLogin(pages, "huge_word", [] { return "<p>" + kSixMegabytes(); });
    Add(pages, "oversized", [] { return WithLogin(Repeat("<p>x", 5 << 20)); });
    Add(pages, "comment_unclosed",
        [] { return "<form><input name=a><!--" + Repeat("<div>", 1 << 20); });
    Add(pages, "script_unclosed",
        [] { return "<form><input name=a><script>" + Repeat("<div>", 1 << 20); });
    Add(pages, "invalid_utf8", InvalidUtf8);
}

// Pages just inside the limits: the deepest nesting kept, then many tags, each with a text.
void AddAtLimits(Pages& pages) {
    AddWithLogin(pages, "deep_then_wide",
                 [] { return Repeat("<span>", 500) + Repeat("<div>x</div>", 70000); });
    AddWithLogin(pages, "deep_formatting_then_text",
                 [] { return Numbered("<b class=", ">", 500) + Repeat("<i>x</i>", 70000); });
    Add(pages, "deep_fieldsets_with_inputs", [] {
        return Repeat("<fieldset><input name=q>", 500) + Numbered("<input name=f", ">", 70000);
    });
}

}  // namespace

std::vector<HostilePage> HostilePages() {
    std::vector<HostilePage> pages;
    AddNested(pages);
    AddFormatting(pages);
    AddForms(pages);
    AddHuge(pages);
    AddAtLimits(pages);
    return pages;
}

}  // namespace veltrix::test
