// What the Options sheet asks of each of its four pages. A page keeps its values as members; its
// window (the view) is attached the first time the page is shown, and until then the page neither
// shows nor applies anything.
#pragma once

#include <functional>
#include <utility>

namespace veltrix::editor::options {

class COptionsPage {
public:
    virtual ~COptionsPage() = default;

    // Reloads the members from the configuration and shows them when the window exists.
    virtual void Load() = 0;
    // Writes what the page owns; true when the window was never created.
    virtual bool Apply() = 0;
    virtual int HelpTopic() const = 0;
    virtual bool IsCreated() const = 0;
    // The check when the user leaves the page for another tab: false keeps the user there.
    virtual bool LeaveCheck() { return true; }

    // Called by the page's own actions that change something (a colour or folder chosen).
    void SetChangedHandler(std::function<void()> changed) { m_changed = std::move(changed); }

protected:
    void MarkChanged() const {
        if (m_changed) {
            m_changed();
        }
    }

private:
    std::function<void()> m_changed;
};

}  // namespace veltrix::editor::options
