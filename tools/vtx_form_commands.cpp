#include "tools/vtx_form_commands.h"

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <ostream>

#include "core/configuration.h"
#include "formengine/dom/html_builder.h"
#include "formengine/dom/html_limits.h"
#include "formengine/fill/identity_fill.h"
#include "formengine/form/web_form.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "tools/vtx_commands.h"
#include "ui/ui_port.h"

namespace veltrix::vtx {
namespace {

// A text on one line of tab-separated output: tabs and line breaks become blanks.
std::string Cell(std::u16string_view text) {
    std::string cell = text::ToUtf8(text);
    for (char& c : cell) {
        if (c == '\t' || c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return cell;
}

int Number(auto value) {
    return static_cast<int>(value);
}

struct LoadedPage {
    std::shared_ptr<dom::MemoryDocument> document;
    PageFormList forms;
};

// Reads the page and collects its forms; its address is its file: URL.
std::optional<LoadedPage> LoadPage(const std::string& page) {
    std::error_code error;
    auto html = std::filesystem::is_regular_file(page, error)
                    ? platform::ReadWholeFile(page, dom::kMaxPageFileBytes)
                    : Result<std::string, int>(Fail(EINVAL));
    if (!html) {
        ui::ShowMessage(text::FromUtf8("Cannot read the page " + page), ui::Icon::Exclamation);
        return std::nullopt;
    }
    const std::u16string address =
        u"file://" + text::FromUtf8(std::filesystem::absolute(page, error).string());
    LoadedPage loaded;
    std::vector<std::string> notices;
    loaded.document = dom::BuildDocumentFromHtml(*html, address, &notices);
    for (const auto& notice : notices) {
        std::cerr << "vtx: " << page << ": " << notice << '\n';
    }
    CollectForms(loaded.document, address, loaded.forms);
    return loaded;
}

}  // namespace

int ScanPage(const std::string& page, std::ostream& out) {
    auto loaded = LoadPage(page);
    if (!loaded) {
        return kFailure;
    }
    int number = 0;
    for (const auto& form : loaded->forms) {
        out << "form\t" << ++number << "\tlogin=" << (form->loginForm ? 1 : 0)
            << "\tidentity=" << (CFieldRecognizer::IsIdentityForm(RecognisedFields(*form)) ? 1 : 0)
            << "\tfields=" << form->fields.size() << '\n';
        for (const auto& field : form->fields) {
            out << "field\t" << field->index << '\t' << Number(field->kind) << '\t'
                << Number(field->inputType) << '\t' << Cell(field->name) << '\t' << field->size
                << '\t' << field->maxLength << '\t' << Cell(field->key) << '\t'
                << Cell(field->label) << '\n';
        }
    }
    return kSuccess;
}

int FillPage(config::Settings& settings, const std::string& page, const std::string& identity,
             const std::optional<std::string>& card, const std::optional<std::string>& account,
             std::ostream& out) {
    const std::u16string name = text::FromUtf8(identity);
    if (card) {
        settings.SetIdentityCreditCard(name, text::FromUtf8(*card));
    }
    if (account) {
        settings.SetIdentityBankAccount(name, text::FromUtf8(*account));
    }
    auto loaded = LoadPage(page);
    if (!loaded || !FillWithIdentity(settings, loaded->forms, name)) {
        return kFailure;
    }
    const std::u16string highlight = settings.GetHighlightColor();
    int number = 0;
    for (const auto& form : loaded->forms) {
        ++number;
        for (const auto& field : form->fields) {
            const std::string checked =
                field->IsCheckable() ? (field->element->IsChecked() ? "1" : "0") : "";
            const bool highlighted = field->element->BackgroundColor() == highlight;
            out << "field\t" << number << '\t' << field->index << '\t' << Cell(field->name) << '\t'
                << Cell(field->CurrentValueText()) << '\t' << checked << '\t'
                << (highlighted ? 1 : 0) << '\n';
        }
    }
    return kSuccess;
}

}  // namespace veltrix::vtx
