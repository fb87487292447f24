// CLeftView: the record tree. It mirrors RecordTree item for item: "Options", then the three
// record branches with their records in the tree's order. Selecting an item shows it in the right
// pane; the tree handles New, Rename and Refresh.
#pragma once

#include <QIcon>
#include <QTreeWidget>
#include <functional>
#include <optional>
#include <string>

#include "core/configuration.h"
#include "editor/command_line.h"
#include "editor/record_tree.h"

class QMenu;

namespace veltrix::editor::qt {

class CRightView;

class CLeftView : public QTreeWidget {
    Q_OBJECT

public:
    CLeftView(config::Settings& settings, CRightView& rightView, QWidget* parent = nullptr);

    const RecordTree& Model() const { return m_tree; }
    // The pop-up menu of a right click on an item (not owned).
    void SetPopupMenu(QMenu* menu) { m_popup = menu; }
    // The name prompt used by New (tests replace it).
    void SetNamePrompt(std::function<std::optional<std::u16string>(RecordKind)> prompt);

    // Empties and refills the tree from the folders.
    void Build();
    // Kind 1 to 3 with a label: expands the branch and selects the record of that label (letter
    // case ignored), else the branch; Options selects Options; None clears the selection.
    void Select(const TreeTarget& target);
    void SelectNothing();
    // What the selected item stands for.
    TreeSelection Selected() const;
    // The item of a fixed entry or a record.
    QTreeWidgetItem* BranchItem(RecordKind kind) const;
    QTreeWidgetItem* RecordItem(RecordKind kind, const std::u16string& label) const;

    // The commands the tree handles.
    void NewRecord(RecordKind kind);
    void Rename();
    void Refresh();
    // Removes the record item `label` from its branch and selects the branch.
    void RemoveRecord(RecordKind kind, const std::u16string& label);
    // Inserts a record item under its branch.
    void InsertRecord(RecordKind kind, const std::u16string& label, const std::u16string& path);

signals:
    // Tab or the right-arrow key asked for the right pane.
    void RightPaneFocusRequested();
    // A rename was accepted; the frame posts Refresh.
    void RefreshRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    void OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void OnItemChanged(QTreeWidgetItem* item, int column);
    QTreeWidgetItem* MakeRecordItem(const editor::RecordItem& record);
    QTreeWidgetItem* ItemOf(const TreeSelection& selection) const;
    RecordKind KindOfItem(const QTreeWidgetItem* item) const;
    void SetCurrentQuietly(QTreeWidgetItem* item);

    config::Settings& m_settings;
    CRightView& m_rightView;
    RecordTree m_tree;
    QMenu* m_popup = nullptr;
    QIcon m_recordIcon;  // one icon shared by every record item
    std::function<std::optional<std::u16string>(RecordKind)> m_namePrompt;
    bool m_updating = false;
    RecordKind m_pendingRename = RecordKind::None;
};

}  // namespace veltrix::editor::qt
