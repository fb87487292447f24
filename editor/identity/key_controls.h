// The controls of a page by the key each edits, whatever their kind: edits, multi-line edits and
// lists. Reads them as page entries and shows entries in them.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>
#include <map>
#include <string>

#include "editor/identity/page_entries.h"
#include "editor/identity/page_widgets.h"

namespace veltrix::editor::identity {

template <typename Key>
class KeyControls {
public:
    void Add(Key key, QWidget* control) { m_controls[key] = control; }
    QWidget* Control(Key key) const {
        const auto found = m_controls.find(key);
        return found == m_controls.end() ? nullptr : found->second;
    }
    QComboBox* List(Key key) const { return qobject_cast<QComboBox*>(Control(key)); }

    Entries<Key> Read() const {
        Entries<Key> entries;
        for (const auto& [key, control] : m_controls) {
            entries[key] = TextOf(control);
        }
        return entries;
    }

    // Shows the entries in the edits; lists are filled by the page, which knows their choices.
    void ShowEdits(const Entries<Key>& entries) const {
        for (const auto& [key, control] : m_controls) {
            if (auto* edit = qobject_cast<QLineEdit*>(control)) {
                SetEditText(edit, EntryText(entries, key));
            } else if (auto* notes = qobject_cast<QPlainTextEdit*>(control)) {
                SetEditText(notes, EntryText(entries, key));
            }
        }
    }

    // Calls `store` after every edit of an edit and every selection change of a list.
    template <typename Receiver, typename Slot>
    void ConnectEdits(Receiver* receiver, Slot store) const {
        for (const auto& [key, control] : m_controls) {
            if (auto* edit = qobject_cast<QLineEdit*>(control)) {
                QObject::connect(edit, &QLineEdit::textChanged, receiver, store);
            } else if (auto* notes = qobject_cast<QPlainTextEdit*>(control)) {
                QObject::connect(notes, &QPlainTextEdit::textChanged, receiver, store);
            } else if (auto* list = qobject_cast<QComboBox*>(control)) {
                QObject::connect(list, &QComboBox::currentIndexChanged, receiver, store);
            }
        }
    }

private:
    static std::u16string TextOf(const QWidget* control) {
        if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
            return EditText(edit);
        }
        if (const auto* notes = qobject_cast<const QPlainTextEdit*>(control)) {
            return EditText(notes);
        }
        if (const auto* list = qobject_cast<const QComboBox*>(control)) {
            return ListText(list);
        }
        return {};
    }

    std::map<Key, QWidget*> m_controls;
};

}  // namespace veltrix::editor::identity
