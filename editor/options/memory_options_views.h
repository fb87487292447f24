// The Options pages' views held in memory: what a page showed, and answers queued for its
// choosers and prompts. For headless use of the sheet's logic (tests, scripts).
#pragma once

#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "editor/options/excluded_sites_page.h"
#include "editor/options/password_page.h"
#include "editor/options/preferences_page.h"
#include "editor/options/user_data_page.h"
#include "platform/text.h"

namespace veltrix::editor::options {

class MemoryPreferencesView : public IPreferencesView {
public:
    void Show(const PreferencesValues& shown) override { values = shown; }
    PreferencesValues Read() const override { return values; }
    std::optional<Rgb> ChooseColour(Rgb start) override {
        colourStarts.push_back(start);
        return Next(colourAnswers);
    }

    PreferencesValues values;
    std::deque<std::optional<Rgb>> colourAnswers;  // empty: Cancel
    std::vector<Rgb> colourStarts;

private:
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        std::optional<T> next = queue.front();
        queue.pop_front();
        return next;
    }
};

class MemoryUserDataView : public IUserDataView {
public:
    struct Chooser {
        std::u16string title;
        std::u16string start;
    };

    void Show(const UserDataValues& shown) override { values = shown; }
    UserDataValues Read() const override { return values; }
    std::optional<std::u16string> ChooseFolder(std::u16string_view title,
                                               std::u16string_view start) override {
        choosers.push_back({std::u16string(title), std::u16string(start)});
        if (folderAnswers.empty()) {
            return std::nullopt;
        }
        std::optional<std::u16string> next = folderAnswers.front();
        folderAnswers.pop_front();
        return next;
    }
    void ShowFolder(FolderField field, std::u16string_view text) override {
        values.Folder(field) = text;
    }

    UserDataValues values;
    std::deque<std::optional<std::u16string>> folderAnswers;  // empty: nothing chosen
    std::vector<Chooser> choosers;
};

class MemoryExcludedSitesView : public IExcludedSitesView {
public:
    void ShowSites(const std::vector<std::u16string>& shown) override {
        sites = shown;
        std::sort(sites.begin(), sites.end());
    }
    void AddSite(std::u16string_view site) override {
        sites.insert(std::upper_bound(sites.begin(), sites.end(), site), std::u16string(site));
    }
    void RemoveSite(std::u16string_view site) override {
        std::erase(sites, site);
        std::erase(selected, site);
    }
    std::vector<std::u16string> SelectedSites() const override { return selected; }
    std::optional<std::u16string> AskName(std::u16string_view caption,
                                          std::u16string_view prompt) override {
        asked.push_back(std::u16string(caption) + u"|" + std::u16string(prompt));
        if (names.empty()) {
            return std::nullopt;
        }
        std::optional<std::u16string> next = names.front();
        names.pop_front();
        return next;
    }

    std::vector<std::u16string> sites;
    std::vector<std::u16string> selected;
    std::deque<std::optional<std::u16string>> names;  // empty: Cancel
    std::vector<std::u16string> asked;                // "caption|prompt" of every prompt shown
};

class MemoryPasswordView : public IPasswordView {
public:
    void ShowIdle(int minutes) override { values.idleText = text::FromInt(minutes); }
    PasswordValues Read() const override { return values; }
    void ClearPasswords() override {
        values.newPassword.clear();
        values.confirmation.clear();
        ++clears;
    }
    bool ChangeEnabled() const {
        return CanChangePassword(values.newPassword, values.confirmation);
    }

    PasswordValues values;
    int clears = 0;
};

}  // namespace veltrix::editor::options
