// What the bulk re-encryption job shows and asks, and an in-memory implementation that records
// it (tests, and runs without a window). The Qt dialog implements it in qt/.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix::editor {

class IReencryptView {
public:
    virtual ~IReencryptView() = default;
    // The status text, already formatted ("Status: ...").
    virtual void SetStatus(std::u16string_view text) = 0;
    // A new range; the bar goes back to its lower end.
    virtual void SetProgressRange(int lower, int upper) = 0;
    virtual void SetProgressStep(int step) = 0;
    // Advances the bar by its step, stopping at the upper end.
    virtual void StepProgress() = 0;
    // An error box with an OK button; returns when it is closed.
    virtual void ShowError(std::u16string_view text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(std::u16string_view text) = 0;
    virtual void EnableButtons(bool ok, bool cancel) = 0;
    // Whether the user asked an export to stop (Cancel while it runs).
    virtual bool StopRequested() = 0;
};

// Records everything; questions are answered from a queue (No when it is empty). Safe to use
// from the job's thread while another reads it.
class CMemoryReencryptView : public IReencryptView {
public:
    void SetStatus(std::u16string_view text) override;
    void SetProgressRange(int lower, int upper) override;
    void SetProgressStep(int step) override;
    void StepProgress() override;
    void ShowError(std::u16string_view text) override;
    bool AskYesNo(std::u16string_view text) override;
    void EnableButtons(bool ok, bool cancel) override;
    bool StopRequested() override;

    void QueueAnswer(bool yes);
    // Asks the job to stop once this many more files are done (0: at once).
    void RequestStopAfter(int files);

    std::vector<std::u16string> Statuses() const;
    std::u16string Status() const;
    std::vector<std::u16string> Errors() const;
    std::vector<std::u16string> Questions() const;
    int Lower() const;
    int Upper() const;
    int Position() const;
    int Steps() const;  // every step taken, over all ranges
    bool OkEnabled() const;
    bool CancelEnabled() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::u16string> m_statuses;
    std::vector<std::u16string> m_errors;
    std::vector<std::u16string> m_questions;
    std::deque<bool> m_answers;
    int m_lower = 0;
    int m_upper = 100;
    int m_step = 10;
    int m_position = 0;
    int m_steps = 0;
    bool m_okEnabled = true;
    bool m_cancelEnabled = true;
    int m_stopAfter = -1;
};

}  // namespace veltrix::editor
