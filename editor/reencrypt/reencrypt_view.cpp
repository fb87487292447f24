#include "editor/reencrypt/reencrypt_view.h"

#include <algorithm>

namespace veltrix::editor {

void CMemoryReencryptView::SetStatus(std::u16string_view text) {
    std::lock_guard lock(m_mutex);
    m_statuses.emplace_back(text);
}

void CMemoryReencryptView::SetProgressRange(int lower, int upper) {
    std::lock_guard lock(m_mutex);
    m_lower = lower;
    m_upper = upper;
    m_position = lower;
}

void CMemoryReencryptView::SetProgressStep(int step) {
    std::lock_guard lock(m_mutex);
    m_step = step;
}

void CMemoryReencryptView::StepProgress() {
    std::lock_guard lock(m_mutex);
    m_position = std::min(m_upper, m_position + m_step);
    ++m_steps;
    if (m_stopAfter > 0) {
        --m_stopAfter;
    }
}

void CMemoryReencryptView::ShowError(std::u16string_view text) {
    std::lock_guard lock(m_mutex);
    m_errors.emplace_back(text);
}

bool CMemoryReencryptView::AskYesNo(std::u16string_view text) {
    std::lock_guard lock(m_mutex);
    m_questions.emplace_back(text);
    if (m_answers.empty()) {
        return false;
    }
    const bool yes = m_answers.front();
    m_answers.pop_front();
    return yes;
}

void CMemoryReencryptView::EnableButtons(bool ok, bool cancel) {
    std::lock_guard lock(m_mutex);
    m_okEnabled = ok;
    m_cancelEnabled = cancel;
}

bool CMemoryReencryptView::StopRequested() {
    std::lock_guard lock(m_mutex);
    return m_stopAfter == 0;
}

void CMemoryReencryptView::QueueAnswer(bool yes) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(yes);
}

void CMemoryReencryptView::RequestStopAfter(int files) {
    std::lock_guard lock(m_mutex);
    m_stopAfter = files;
}

std::vector<std::u16string> CMemoryReencryptView::Statuses() const {
    std::lock_guard lock(m_mutex);
    return m_statuses;
}

std::u16string CMemoryReencryptView::Status() const {
    std::lock_guard lock(m_mutex);
    return m_statuses.empty() ? std::u16string() : m_statuses.back();
}

std::vector<std::u16string> CMemoryReencryptView::Errors() const {
    std::lock_guard lock(m_mutex);
    return m_errors;
}

std::vector<std::u16string> CMemoryReencryptView::Questions() const {
    std::lock_guard lock(m_mutex);
    return m_questions;
}

int CMemoryReencryptView::Lower() const {
    std::lock_guard lock(m_mutex);
    return m_lower;
}

int CMemoryReencryptView::Upper() const {
    std::lock_guard lock(m_mutex);
    return m_upper;
}

int CMemoryReencryptView::Position() const {
    std::lock_guard lock(m_mutex);
    return m_position;
}

int CMemoryReencryptView::Steps() const {
    std::lock_guard lock(m_mutex);
    return m_steps;
}

bool CMemoryReencryptView::OkEnabled() const {
    std::lock_guard lock(m_mutex);
    return m_okEnabled;
}

bool CMemoryReencryptView::CancelEnabled() const {
    std::lock_guard lock(m_mutex);
    return m_cancelEnabled;
}

}  // namespace veltrix::editor
