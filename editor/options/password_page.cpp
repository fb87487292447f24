#include "editor/options/password_page.h"

#include "core/password_source.h"
#include "core/scoped_wipe.h"
#include "editor/options/options_texts.h"
#include "platform/text.h"

namespace veltrix::editor::options {
namespace {

std::u16string RangeRefusal() {
    std::u16string refusal =
        text::ReplaceFirst(kEnterIntegerBetween, u"%1", text::FromInt(kMinIdleMinutes));
    return text::ReplaceFirst(refusal, u"%2", text::FromInt(kMaxIdleMinutes));
}

// Asks the session for the password, which restarts its idle timer; the password is not kept.
void TouchSession() {
    IPasswordSource* source = CurrentPasswordSource();
    if (source == nullptr) {
        return;
    }
    std::u16string password;
    ScopedWipe wipe(password);
    (void)source->GetPassword(password);
}

}  // namespace

bool CanChangePassword(std::u16string_view newPassword, std::u16string_view confirmation) {
    return newPassword.size() >= static_cast<std::size_t>(kMinPasswordLength) &&
           newPassword == confirmation;
}

IdleParse ParseIdleMinutes(std::u16string_view text) {
    const auto number = text::ParseInteger<std::int64_t>(
        text, {.sign = true, .blank = text::IsBlank, .clamp = true});
    if (!number) {
        return {std::nullopt, std::u16string(kEnterInteger)};
    }
    if (*number < kMinIdleMinutes || *number > kMaxIdleMinutes) {
        return {std::nullopt, RangeRefusal()};
    }
    return {static_cast<int>(*number), {}};
}

void CPropPagePassword::Attach(IPasswordView* view) {
    m_view = view;
    if (m_view != nullptr) {
        m_view->ShowIdle(m_idle);
    }
}

void CPropPagePassword::Load() {
    m_idle = m_settings.GetAutoLogoff();
    if (m_view != nullptr) {
        m_view->ShowIdle(m_idle);
    }
}

bool CPropPagePassword::Apply() {
    if (m_view == nullptr) {
        return true;
    }
    const IdleParse idle = ParseIdleMinutes(m_view->Read().idleText);
    if (!idle.minutes) {
        m_ui.ShowMessage(idle.refusal, ui::Buttons::Ok, ui::Icon::Exclamation);
        return false;
    }
    if (*idle.minutes != m_settings.GetAutoLogoff() && *idle.minutes == 0 &&
        m_ui.ShowMessage(kZeroIdleWarning, ui::Buttons::YesNo, ui::Icon::Question) !=
            ui::Answer::Yes) {
        m_view->ShowIdle(m_idle);
        return false;
    }
    m_settings.SetAutoLogoff(*idle.minutes);
    m_idle = *idle.minutes;
    TouchSession();
    return true;
}

bool CPropPagePassword::LeaveCheck() {
    if (m_view == nullptr) {
        return true;
    }
    const IdleParse idle = ParseIdleMinutes(m_view->Read().idleText);
    if (!idle.minutes) {
        m_ui.ShowMessage(idle.refusal, ui::Buttons::Ok, ui::Icon::Exclamation);
        return false;
    }
    return true;
}

int CPropPagePassword::HelpTopic() const {
    return kHelpPassword;
}

void CPropPagePassword::ChangeMasterPassword() {
    if (m_view == nullptr || m_commands == nullptr) {
        return;
    }
    PasswordValues values = m_view->Read();
    ScopedWipe wipeNew(values.newPassword);
    ScopedWipe wipeConfirmation(values.confirmation);
    if (!CanChangePassword(values.newPassword, values.confirmation)) {
        return;
    }
    if (m_commands->ChangeMasterPassword(values.newPassword)) {
        m_view->ClearPasswords();
    }
}

}  // namespace veltrix::editor::options
