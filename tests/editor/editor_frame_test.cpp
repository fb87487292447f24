// The editor's frame with its tree and right pane, offscreen, with other processes of the system
// talking to it: a second editor start, "vtx logoff", a browser's RefreshEditor.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidgetItem>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "core/record_io.h"
#include "core/session.h"
#include "core/session_password_source.h"
#include "editor/editor_link.h"
#include "editor/instance_block.h"
#include "editor/qt/left_view.h"
#include "editor/qt/main_frame.h"
#include "editor/qt/right_view.h"
#include "editor/window_placement.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shared_memory.h"
#include "platform/text.h"
#include "tests/support/child_process.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor::qt {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kWaitMs = 15000;
constexpr char16_t kPassword[] = u"Secret1";

bool PumpUntil(const std::function<bool()>& done, int timeoutMs = kWaitMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs a child to its end while this process keeps serving its windows; its exit status.
std::optional<int> RunServing(test::ChildProcess& child) {
    std::optional<int> status;
    PumpUntil([&] { return (status = child.Wait(0)).has_value(); });
    return status;
}

std::vector<std::u16string> ChildLabels(QTreeWidgetItem* branch) {
    std::vector<std::u16string> labels;
    for (int i = 0; i < branch->childCount(); ++i) {
        labels.push_back(branch->child(i)->text(0).toStdU16String());
    }
    return labels;
}

// The namespace the run started with, read before any test sets its own.
std::string RunNamespace() {
    static const std::string name = [] {
        const char* value = std::getenv("VELTRIX_NAMESPACE");
        return std::string(value != nullptr ? value : "editor-qt");
    }();
    return name;
}

class EditorFrameTest : public ::testing::Test {
protected:
    EditorFrameTest() {
        std::filesystem::create_directories(m_env.VaultFolder());
        SetPasswordSource(&m_passwords);
        EXPECT_TRUE(session::SetPassword(kPassword));
    }
    ~EditorFrameTest() override {
        // The session forgets the window once it is gone; unregistering with 0 would also close
        // this process's handles of the session for the tests that follow.
        m_frame.reset();
        session::SetPassword(nullptr);
        SetPasswordSource(nullptr);
        platform::SharedMemory::Remove(kInstanceBlockName);
    }

    std::u16string PathOf(std::u16string_view name, RecordKind kind) {
        return RecordPath(m_settings.GetRecordFolder(kind), name, kind);
    }
    void WriteNote(std::u16string_view name, std::u16string_view text) {
        CSecureNote note;
        note.SetText(std::u16string(text));
        ASSERT_TRUE(WriteSecureNote(PathOf(name, RecordKind::SecureNote), note).HasValue());
    }
    void WriteLogin(std::u16string_view name, std::u16string_view url) {
        CWebLogin login;
        login.SetPageUrl(std::u16string(url));
        ASSERT_TRUE(WriteWebLogin(PathOf(name, RecordKind::WebLogin), login).HasValue());
    }
    void WriteIdentity(std::u16string_view name) {
        ASSERT_TRUE(
            veltrix::WriteIdentity(PathOf(name, RecordKind::Identity), CIdentity()).HasValue());
    }

    CMainFrame& Start(std::u16string commandLine) {
        m_frame = std::make_unique<CMainFrame>(m_settings, std::move(commandLine));
        m_frame->SetHelpOpener([this](int topic) { m_helpTopics.push_back(topic); });
        m_frame->Tree().SetNamePrompt([this](RecordKind) { return m_nextName; });
        EXPECT_NE(m_frame->Handle(), 0u);
        return *m_frame;
    }
    void Register() { ASSERT_TRUE(session::RegisterEditor(m_frame->Handle())); }
    void RegisterVtxcore() {
        ASSERT_TRUE(
            platform::RunProcess(test::ProgramFolder() / "vtx", {"register"}, kWaitMs).Succeeded());
    }
    TreeSelection Selected() const { return m_frame->Tree().Selected(); }
    RightPane& Pane() const { return m_frame->RightView().Pane(); }

    // This process keeps its handles of the session it opened first, so every test of the run
    // shares one namespace: the one of the run's own temporary folder (see the test main).
    const std::string m_runNamespace = RunNamespace();
    test::IsolatedEnvironment m_env;
    test::ScopedEnv m_namespace{"VELTRIX_NAMESPACE", m_runNamespace};
    ui::ScriptedUi m_ui;
    config::Settings m_settings{platform::Registry::Default()};
    CSessionPasswordSource m_passwords{[this]() -> config::Settings& { return m_settings; }};
    std::unique_ptr<CMainFrame> m_frame;
    std::vector<int> m_helpTopics;
    std::optional<std::u16string> m_nextName;
};

TEST_F(EditorFrameTest, TheCommandLineSelectsItsTarget) {
    WriteLogin(u"My Bank", u"https://bank.example/");
    Start(u"/w MY BANK");
    EXPECT_EQ(Selected(), (TreeSelection{RecordKind::WebLogin, u"My Bank"}));
    EXPECT_EQ(Pane().CurrentKind(), RecordKind::WebLogin);
    m_frame->ApplyCommandLine(u"/W Nobody");
    EXPECT_EQ(Selected(), (TreeSelection{RecordKind::WebLogin, u""}));
    EXPECT_EQ(Pane().CurrentKind(), RecordKind::None);
    m_frame->ApplyCommandLine(u"/X");
    EXPECT_EQ(Selected(), (TreeSelection{RecordKind::Options, u""}));
    EXPECT_EQ(Pane().CurrentKind(), RecordKind::Options);
}

TEST_F(EditorFrameTest, ASecondStartHandsItsCommandLineOverAndEnds) {
    WriteNote(u"Codes", u"1234");
    WriteIdentity(u"Ann Lee");
    Start(u"/O");
    auto block = InstanceBlock::Open();
    ASSERT_TRUE(block);
    m_frame->SetInstanceBlock(&*block);
    block->SetEditorWindow(m_frame->Handle());

    test::ChildProcess second(test::ProgramFolder() / "vtxedit", {"/I", "ann", "LEE"});
    EXPECT_EQ(RunServing(second), 0);
    EXPECT_TRUE(PumpUntil([&] {
        return Selected() == TreeSelection{RecordKind::Identity, u"Ann Lee"};
    }));
    EXPECT_EQ(Pane().CurrentKind(), RecordKind::Identity);

    test::ChildProcess third(test::ProgramFolder() / "vtxedit", {"/N"});
    EXPECT_EQ(RunServing(third), 0);
    EXPECT_TRUE(PumpUntil([&] {
        return Selected() == TreeSelection{RecordKind::SecureNote, u""};
    }));
    EXPECT_EQ(block->ForwardedCommandLine(), u"/N");
}

TEST_F(EditorFrameTest, LogoffFromAnotherProcessSavesTheOpenIdentityAndClosesIt) {
    RegisterVtxcore();
    WriteIdentity(u"Ann");
    Start(u"/I Ann");
    Register();
    ASSERT_NE(Pane().Record(), nullptr);
    Pane().Record()->Identity()->Set(IdentityKey::HomeCity, u"Oslo");
    Pane().RecordEdited();

    test::ChildProcess logoff(test::ProgramFolder() / "vtx", {"logoff"});
    EXPECT_EQ(RunServing(logoff), 0);
    EXPECT_EQ(Pane().Record(), nullptr);
    EXPECT_EQ(Pane().CurrentKind(), RecordKind::None);
    EXPECT_EQ(Selected(), TreeSelection{});
    EXPECT_TRUE(Pane().NeedsPassword());
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());
    ASSERT_TRUE(session::SetPassword(kPassword));
    EXPECT_EQ(ReadIdentity(PathOf(u"Ann", RecordKind::Identity))->Get(IdentityKey::HomeCity),
              u"Oslo");
}

TEST_F(EditorFrameTest, ABrowserSaveShowsTheNewWebLoginAndKeepsTheView) {
    RegisterVtxcore();
    WriteIdentity(u"Ann");
    WriteNote(u"Codes", u"1234");
    Start(u"/N Codes");
    Register();
    m_frame->Tree().BranchItem(RecordKind::Identity)->setExpanded(false);
    WriteLogin(u"Shop", u"https://shop.example/");

    const std::filesystem::path answers = m_env.Root() / "answers";
    std::filesystem::create_directories(answers);
    test::ChildProcess browser(test::ProgramFolder() / "session_client",
                               {answers.string(), "refresh"});
    EXPECT_EQ(RunServing(browser), 0);
    EXPECT_EQ(browser.ReadLine(kWaitMs), std::optional<std::string>("refreshed"));
    // The refresh rebuilds the tree, so the branch item is looked up anew each time.
    const auto logins = [&] { return m_frame->Tree().BranchItem(RecordKind::WebLogin); };
    EXPECT_TRUE(PumpUntil([&] { return logins()->childCount() == 1; }));
    EXPECT_THAT(ChildLabels(logins()), ElementsAre(u"Shop"));
    EXPECT_EQ(Selected(), (TreeSelection{RecordKind::SecureNote, u"Codes"}));
    EXPECT_EQ(Pane().CurrentKind(), RecordKind::SecureNote);
    EXPECT_TRUE(m_frame->Tree().BranchItem(RecordKind::SecureNote)->isExpanded());
    EXPECT_FALSE(m_frame->Tree().BranchItem(RecordKind::Identity)->isExpanded());
}

TEST_F(EditorFrameTest, AFailedRenameKeepsTheOldFileAndLabel) {
    WriteIdentity(u"Ann");
    WriteNote(u"Codes", u"1234");
    Start(u"/N Codes");
    QTreeWidgetItem* item = m_frame->Tree().RecordItem(RecordKind::SecureNote, u"Codes");
    ASSERT_NE(item, nullptr);

    m_frame->Tree().Rename();
    item->setText(0, QString(300, 'x'));  // what the label editor commits
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(u"Unable to rename the file: Invalid path."));
    EXPECT_EQ(item->text(0), QStringLiteral("Codes"));
    EXPECT_TRUE(std::filesystem::exists(text::ToUtf8(PathOf(u"Codes", RecordKind::SecureNote))));
    QApplication::processEvents();  // the label edit opens again
    m_frame->Tree().closePersistentEditor(item);

    m_frame->Tree().Rename();
    item->setText(0, QStringLiteral("CODES"));  // only the letter case changes
    EXPECT_TRUE(PumpUntil([&] {
        return Selected() == TreeSelection{RecordKind::SecureNote, u"CODES"};
    }));
    EXPECT_TRUE(std::filesystem::exists(text::ToUtf8(PathOf(u"CODES", RecordKind::SecureNote))));
    EXPECT_EQ(ReadSecureNote(PathOf(u"CODES", RecordKind::SecureNote))->GetText(), u"1234");
    EXPECT_EQ(Pane().Record()->path, PathOf(u"CODES", RecordKind::SecureNote));
}

TEST_F(EditorFrameTest, AnEmptyVaultAsksForAnIdentityFirst) {
    Start(u"");
    m_nextName = u"Me";
    m_frame->FirstActivation();
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(u"Please create an Identity."));
    EXPECT_THAT(m_helpTopics, ElementsAre(850));
    EXPECT_TRUE(PumpUntil([&] {
        return Selected() == TreeSelection{RecordKind::Identity, u"Me"};
    }));
    EXPECT_TRUE(ReadIdentity(PathOf(u"Me", RecordKind::Identity)).HasValue());
    EXPECT_EQ(Pane().CurrentKind(), RecordKind::Identity);
}

TEST_F(EditorFrameTest, NoteEditingDeletingAndClosing) {
    WriteIdentity(u"Ann");
    WriteNote(u"Codes", u"1234");
    WriteNote(u"Old", u"x");
    Start(u"/N Old");
    EXPECT_TRUE(m_frame->Action("delete")->isEnabled());
    EXPECT_FALSE(m_frame->Action("save")->isEnabled());
    m_ui.QueueAnswer(ui::Answer::Yes);
    m_frame->Action("delete")->trigger();
    EXPECT_THAT(ChildLabels(m_frame->Tree().BranchItem(RecordKind::SecureNote)),
                ElementsAre(u"Codes"));
    EXPECT_EQ(Selected(), (TreeSelection{RecordKind::SecureNote, u""}));
    EXPECT_FALSE(m_frame->Action("delete")->isEnabled());

    m_frame->ApplyCommandLine(u"/N codes");
    m_frame->RightView().NoteEditor()->setPlainText(QStringLiteral("5678"));
    EXPECT_TRUE(m_frame->RightView().ApplyButton()->isEnabled());
    EXPECT_TRUE(m_frame->Action("save")->isEnabled());
    m_ui.QueueAnswer(ui::Answer::Yes);
    EXPECT_TRUE(m_frame->close());
    EXPECT_EQ(m_ui.MessageTexts().back(), u"Save changes to Codes?");
    EXPECT_EQ(ReadSecureNote(PathOf(u"Codes", RecordKind::SecureNote))->GetText(), u"5678");
    EXPECT_NE(LoadTreePaneSize(m_settings).width, 0);
    std::u16string rect;
    EXPECT_TRUE(m_settings.GetConfigString(platform::Hive::CurrentUser,
                                           config::SectionKey(kWindowSection), u"Rect", rect));
}

}  // namespace
}  // namespace veltrix::editor::qt
