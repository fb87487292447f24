#include "editor/qt/screenshots.h"

#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/password_source.h"
#include "core/record_io.h"
#include "editor/editor_messages.h"
#include "editor/exports/export_texts.h"
#include "editor/options/qt/options_sheet_widget.h"
#include "editor/qt/left_view.h"
#include "editor/qt/main_frame.h"
#include "editor/qt/name_prompt_dialog.h"
#include "editor/qt/right_view.h"
#include "editor/reencrypt/qt/reencrypt_screenshots.h"
#include "editor/weblogin/field_data.h"
#include "editor/weblogin/field_rows.h"
#include "editor/weblogin/web_login_texts.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "ui/qt/password_dialogs.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::qt {
namespace {

constexpr char16_t kSamplePassword[] = u"sample-password";

std::filesystem::path& SampleRoot() {
    static std::filesystem::path root;
    return root;
}

// Answers every read and write of the sample vault with one password; no session is involved.
class SamplePasswordSource : public IPasswordSource {
public:
    bool GetPassword(std::u16string& password) override {
        password = kSamplePassword;
        return true;
    }
    bool EndSession() override { return true; }
};

std::u16string SamplePath(config::Settings& settings, RecordKind kind, std::u16string_view name) {
    return RecordPath(settings.GetRecordFolder(kind), name, kind);
}

void WriteSampleVault(config::Settings& settings) {
    CIdentity identity;
    identity.Set(IdentityKey::FirstName, u"Ann");
    identity.Set(IdentityKey::LastName, u"Lee");
    identity.Set(IdentityKey::Email, u"ann.lee@example.org");
    (void)WriteIdentity(SamplePath(settings, RecordKind::Identity, u"Ann at home"), identity);
    (void)WriteIdentity(SamplePath(settings, RecordKind::Identity, u"Ann at work"), identity);
    CWebLogin login;
    login.SetPageUrl(u"https://online.northbank.example/signin?lang=en");
    login.AddField({u"csrf_token", 0, 10, u"9f2c41d7", 0});
    login.AddField({u"customer_id", 0, 0, u"annlee1984", 0});
    login.AddField({u"password", 0, 1, u"Tr0ub4dor&3", 0});
    login.AddField({u"remember", 0, 2, u"yes", 1});
    login.AddField({u"region", 1, 13, u"Europe", 0});
    login.AddField({u"signin", 0, 12, u"Sign in", 0});
    login.SetNotes(u"Saved from the sign-in page.\r\nCard reader needed for transfers.");
    (void)WriteWebLogin(SamplePath(settings, RecordKind::WebLogin, u"Bank"), login);
    CSecureNote note;
    note.SetText(u"Locker code: 4711\r\nBike lock: 0815");
    (void)WriteSecureNote(SamplePath(settings, RecordKind::SecureNote, u"Codes"), note);
}

bool Save(QWidget& widget, const QString& folder, const char* name) {
    QApplication::processEvents();
    const QString path = folder + "/" + name + ".png";
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toUtf8().constData());
    return saved;
}

bool SaveFrame(CMainFrame& frame, const TreeTarget& target, const QString& folder,
               const char* name) {
    frame.Tree().Select(target);
    return Save(frame, folder, name);
}

bool SaveMessage(std::u16string_view text, QMessageBox::StandardButtons buttons,
                 QMessageBox::Icon icon, const QString& folder, const char* name) {
    QMessageBox box(icon, ui::qt::ToQString(ui::kCaption), ui::qt::ToQString(text), buttons);
    box.show();
    const bool saved = Save(box, folder, name);
    box.hide();
    return saved;
}

// The field-data dialog of the Web Login sheet over the password field, and its refusal.
bool SaveWebLoginFieldEdit(CMainFrame& frame, const QString& folder) {
    CNamePromptDlg edit(weblogin::kEditCaption, &frame);
    edit.SetTexts(weblogin::kEditCaption,
                  weblogin::FormatText(weblogin::kEditPrompt, {u"password"}));
    edit.SetEmptyAllowed(true);
    edit.Edit()->setText(QStringLiteral("Tr0ub4dor&3"));
    edit.show();
    bool ok = Save(edit, folder, "web_login_edit_field");
    edit.hide();
    ok &= SaveMessage(weblogin::InvalidStateMessage(), QMessageBox::Ok, QMessageBox::Warning,
                      folder, "web_login_invalid_state");
    return ok;
}

// The Choose Password dialog as "Export (new password)..." shows it, both entries typed.
bool SaveChooseExportPassword(QWidget& parent, const QString& folder) {
    ui::qt::CChoosePasswordDlg dialog(&parent, ui::qt::CChoosePasswordDlg::Variant::OtherPassword);
    dialog.SetPrompt(exports::kExportFilePrompt);
    for (const char* name : {ui::qt::kPasswordEditName, ui::qt::kConfirmEditName}) {
        dialog.findChild<QLineEdit*>(name)->setText(QStringLiteral("for Bob only"));
    }
    dialog.show();
    const bool saved = Save(dialog, folder, "choose_export_password");
    dialog.hide();
    return saved;
}

// The four pages of the Options sheet, each shown in the frame.
bool SaveOptionsPages(CMainFrame& frame, config::Settings& settings, const QString& folder) {
    settings.AddExcludedSite(u"https://ads.example.com/banner");
    settings.AddExcludedSite(u"http://www.tracker.example.net/");
    settings.SetExportToFolder(u"/media/ann/BACKUP/");
    frame.Tree().Select({RecordKind::Options, {}});
    options::OptionsSheetWidget& sheet = *frame.RightView().OptionsSheet();
    sheet.Load();
    const std::pair<options::OptionsPage, const char*> pages[] = {
        {options::OptionsPage::Preferences, "options_preferences"},
        {options::OptionsPage::UserData, "options_user_data"},
        {options::OptionsPage::ExcludedSites, "options_excluded_sites"},
        {options::OptionsPage::Password, "options_password"}};
    bool ok = true;
    for (const auto& [page, name] : pages) {
        sheet.ShowPage(page);
        ok &= Save(frame, folder, name);
    }
    sheet.ShowPage(options::OptionsPage::Preferences);
    return ok;
}

}  // namespace

void PrepareScreenshotEnvironment() {
    char pattern[] = "/tmp/vtxedit-screenshots-XXXXXX";
    const char* root = mkdtemp(pattern);
    if (root == nullptr) {
        return;
    }
    SampleRoot() = root;
    const std::string base = root;
    setenv("HOME", base.c_str(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/run").c_str(), 1);
    setenv("VELTRIX_REGISTRY", (base + "/registry").c_str(), 1);
    setenv("VELTRIX_NAMESPACE", ("screenshots-" + std::to_string(getpid())).c_str(), 1);
    std::filesystem::create_directories(base + "/run");
    std::filesystem::permissions(base + "/run", std::filesystem::perms::owner_all);
}

int RenderScreenshots(const std::string& folderName) {
    if (SampleRoot().empty()) {
        std::fprintf(stderr, "vtxedit: no temporary folder for the sample vault\n");
        return 1;
    }
    std::filesystem::create_directories(folderName);
    const QString folder = QString::fromStdString(folderName);
    bool ok = true;
    {
        SamplePasswordSource passwords;
        SetPasswordSource(&passwords);
        config::Settings settings(platform::Registry::Default());
        WriteSampleVault(settings);

        CMainFrame frame(settings, u"/O");
        frame.SetHelpOpener([](int) {});
        frame.resize(800, 570);
        frame.show();
        frame.Tree().expandAll();
        ok &= SaveFrame(frame, {RecordKind::Options, {}}, folder, "editor_options");
        ok &= SaveOptionsPages(frame, settings, folder);
        ok &= SaveFrame(frame, {RecordKind::Identity, u"Ann at home"}, folder, "editor_identity");
        ok &= SaveFrame(frame, {RecordKind::WebLogin, u"Bank"}, folder, "editor_web_login");
        ok &= SaveFrame(frame, {RecordKind::SecureNote, u"Codes"}, folder, "editor_secure_note");
        ok &= SaveFrame(frame, {RecordKind::Identity, {}}, folder, "editor_identities_branch");

        ok &= SaveWebLoginFieldEdit(frame, folder);

        CNamePromptDlg prompt(KindWord(RecordKind::Identity), &frame);
        prompt.Edit()->setText(QStringLiteral("Ann on holiday"));
        prompt.show();
        ok &= Save(prompt, folder, "name_prompt");
        prompt.hide();

        ok &= SaveMessage(messages::kCreateIdentity, QMessageBox::Ok, QMessageBox::NoIcon, folder,
                          "create_identity");
        ok &= SaveMessage(u"Save changes to Codes?", QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::Question, folder, "save_changes");
        ok &= SaveMessage(u"Are you sure you want to delete the Secure Note \"Codes\"?",
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, folder,
                          "confirm_delete");
        ok &= SaveChooseExportPassword(frame, folder);
        frame.hide();
        ok &= RenderReencryptScreenshots(settings, kSamplePassword,
                                         (SampleRoot() / "export").string(), folder);
        SetPasswordSource(nullptr);
    }
    std::error_code error;
    std::filesystem::remove_all(SampleRoot(), error);
    return ok ? 0 : 1;
}

}  // namespace veltrix::editor::qt
