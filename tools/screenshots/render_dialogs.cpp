// Renders every Qt dialog of the extension to PNG files in the folder given on the command line,
// for review. Run offscreen: QT_QPA_PLATFORM=offscreen render_dialogs docs/screenshots
#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <string>

#include "browserui/toolband/qt/band_widgets.h"
#include "browserui/toolband/toolbar_layout.h"
#include "formengine/qt/form_dialogs.h"
#include "formengine/qt/password_generator_dlg.h"
#include "ui/qt/password_dialogs.h"

namespace {

using namespace veltrix;

class NoHandler : public formviews::IFillIdentityPromptHandler {
public:
    void OnPromptButton(formviews::PromptButton) override {}
    void OnIdentityChosen(std::u16string_view) override {}
};

class NoToolbarHandler : public toolband::IToolbarHandler {
public:
    void OnButtonClick(std::uint32_t) override {}
    void OnDropDown(std::uint32_t) override {}
    void OnRightClick() override {}
};

class NoGeneratorHandler : public generator::IGeneratorHandler {
public:
    void OnGenerate() override {}
    void OnFill() override {}
    void OnCopy() override {}
    void OnReset() override {}
    void OnClassClicked() override {}
    void OnOutputChanged() override {}
};

bool Save(QWidget& widget, const QString& folder, const char* name) {
    widget.adjustSize();
    // adjustSize keeps a window within two thirds of the screen; a wide toolbar needs more.
    widget.resize(widget.size().expandedTo(widget.sizeHint()));
    widget.show();
    QApplication::processEvents();
    const QString path = folder + "/" + name + ".png";
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toUtf8().constData());
    widget.hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_dialogs FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    NoHandler handler;
    bool ok = true;

    formviews::qt::CFillIdentityDlg identity(handler);
    identity.SetIdentities({{u"Ann Lee", u"Work"}, 0, true});
    identity.SetCreditCards({{u"Visa", u""}, 0, true});
    identity.SetBankAccounts({{u""}, 0, false});
    ok &= Save(identity, folder, "fill_identity_prompt");

    formviews::qt::CFillWebLoginDlg webLogin(handler);
    webLogin.SetWebLogins({{u"Bank login", u"Bank login (2)"}, 0, true});
    ok &= Save(webLogin, folder, "fill_web_login_prompt");

    formviews::qt::CSaveWebLoginDlg save(u"bank.example");
    ok &= Save(save, folder, "save_web_login");

    NoGeneratorHandler generatorHandler;
    generator::qt::CPasswordGeneratorDlg passwordGenerator(generatorHandler);
    passwordGenerator.SetControls({u"8", true, true, true, true, true, u"~!@#$%^&*()_+{}<>?,."});
    passwordGenerator.SetOutput(u"K7#mQ2x!");
    ok &= Save(passwordGenerator, folder, "password_generator");

    ui::qt::CEnterPasswordDlg enter;
    ok &= Save(enter, folder, "enter_password");
    ui::qt::CChoosePasswordDlg choose;
    ok &= Save(choose, folder, "choose_password");

    NoToolbarHandler toolbarHandler;
    toolband::qt::CToolbarWidget toolbar(toolbarHandler);
    toolbar.SetButtons({toolband::kButtons.begin(), toolband::kButtons.end()});
    ok &= Save(toolbar, folder, "toolbar");
    toolband::CustomizeSession session({toolband::kVeltrixButton, toolband::kWebLoginButton,
                                        toolband::kFillButton, toolband::kHelpButton});
    toolband::qt::CCustomizeToolbarDlg customize(session, nullptr);
    ok &= Save(customize, folder, "customize_toolbar");
    const auto about = toolband::qt::MakeAboutBox(nullptr, u"Veltrix", VELTRIX_VERSION_TEXT);
    ok &= Save(*about, folder, "about_veltrix");
    return ok ? 0 : 1;
}
