// The tests' vault: an isolated environment with record files of the three kinds written under a
// password, a recording session switch, and checks of which password opens each record.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/record_file.h"
#include "core/record_kind.h"
#include "editor/reencrypt/session_switch.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor::test_support {

inline constexpr char16_t kOldPassword[] = u"Old secret";
inline constexpr char16_t kNewPassword[] = u"New secret";

// Records every switch; nullopt stands for an ended session.
class RecordingSession : public ISessionSwitch {
public:
    bool SetPassword(std::u16string_view password) override {
        calls.emplace_back(std::u16string(password));
        return true;
    }
    bool EndSession() override {
        calls.emplace_back(std::nullopt);
        return true;
    }
    std::vector<std::optional<std::u16string>> calls;
};

inline std::u16string U16(const std::filesystem::path& path) {
    return text::FromUtf8(path.string());
}

inline std::filesystem::path Native(std::u16string_view path) {
    return std::filesystem::path(text::ToUtf8(path));
}

// The record's text when `password` opens the file at `path`.
inline std::optional<std::u16string> OpenRecord(const std::filesystem::path& path,
                                                std::u16string_view password) {
    auto bytes = ReadRecordFile(U16(path));
    if (!bytes) {
        return std::nullopt;
    }
    auto text = DecodeRecordFile(*bytes, password);
    return text ? std::optional<std::u16string>(*text) : std::nullopt;
}

inline void WriteRecord(const std::filesystem::path& path, std::u16string_view text,
                        std::u16string_view password) {
    auto bytes = EncodeRecordFile(text, password);
    ASSERT_TRUE(bytes.HasValue());
    ASSERT_TRUE(ReplaceRecordFile(U16(path), *bytes).HasValue());
}

class VaultFixture : public ::testing::Test {
protected:
    VaultFixture() { std::filesystem::create_directories(m_env.VaultFolder()); }

    std::filesystem::path Vault() const { return m_env.VaultFolder(); }

    // Writes `count` records of each kind, "<kind letter><n>", under `password`; their paths.
    std::vector<std::filesystem::path> WriteVault(int count, std::u16string_view password) {
        std::vector<std::filesystem::path> paths;
        for (RecordKind kind :
             {RecordKind::Identity, RecordKind::WebLogin, RecordKind::SecureNote}) {
            const std::filesystem::path folder = Native(m_settings.GetRecordFolder(kind));
            std::filesystem::create_directories(folder);
            for (int n = 0; n < count; ++n) {
                const std::string name = std::string(1, "xIWN"[static_cast<int>(kind)]) +
                                         std::to_string(n) + "." +
                                         text::ToUtf8(RecordExtension(kind));
                const auto path = folder / name;
                WriteRecord(path, TextOf(name), password);
                paths.push_back(path);
            }
        }
        return paths;
    }
    static std::u16string TextOf(const std::string& name) {
        return u"<note>" + text::FromUtf8(name) + u"</note>";
    }
    // How many of `paths` open under `password` with their own text.
    static int CountOpening(const std::vector<std::filesystem::path>& paths,
                            std::u16string_view password) {
        int count = 0;
        for (const auto& path : paths) {
            auto text = OpenRecord(path, password);
            count += text && *text == TextOf(path.filename().string()) ? 1 : 0;
        }
        return count;
    }
    // The folders in the vault whose name starts with "Saved ".
    std::vector<std::string> BackupFolders() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Vault())) {
            const std::string name = entry.path().filename().string();
            if (entry.is_directory() && name.starts_with("Saved ")) {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::IsolatedEnvironment m_env;
    ui::ScriptedUi m_ui;
    config::Settings m_settings{platform::Registry::Default()};
    RecordingSession m_session;
};

}  // namespace veltrix::editor::test_support
