#include "editor/qt/left_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QTimer>

#include "core/record_file.h"
#include "editor/qt/name_prompt_dialog.h"
#include "editor/qt/right_view.h"
#include "editor/record_naming.h"
#include "editor/record_rename.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::qt {
namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr RecordKind kTopLevelKinds[] = {RecordKind::Options, RecordKind::Identity,
                                         RecordKind::WebLogin, RecordKind::SecureNote};

int TopLevelIndex(RecordKind kind) {
    switch (kind) {
        case RecordKind::Identity:
            return 1;
        case RecordKind::WebLogin:
            return 2;
        case RecordKind::SecureNote:
            return 3;
        default:
            return 0;
    }
}

int ItemData(const QTreeWidgetItem* item) {
    return item->data(0, kDataRole).toInt();
}

bool IsRecordBranch(RecordKind kind) {
    return kind == RecordKind::Identity || kind == RecordKind::WebLogin ||
           kind == RecordKind::SecureNote;
}

}  // namespace

CLeftView::CLeftView(config::Settings& settings, CRightView& rightView, QWidget* parent)
    : QTreeWidget(parent), m_settings(settings), m_rightView(rightView) {
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    m_recordIcon = style()->standardIcon(QStyle::SP_FileIcon);
    m_namePrompt = [this](RecordKind kind) { return AskName(this, KindWord(kind)); };
    connect(this, &QTreeWidget::currentItemChanged, this, &CLeftView::OnCurrentItemChanged);
    connect(this, &QTreeWidget::itemChanged, this, &CLeftView::OnItemChanged);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon));
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirClosedIcon));
    });
}

void CLeftView::SetNamePrompt(std::function<std::optional<std::u16string>(RecordKind)> prompt) {
    m_namePrompt = std::move(prompt);
}

void CLeftView::Build() {
    m_updating = true;
    setUpdatesEnabled(false);
    clear();
    m_tree.Build(m_settings);
    for (RecordKind kind : kTopLevelKinds) {
        auto* branch = new QTreeWidgetItem(this, {ui::qt::ToQString(BranchLabel(kind))});
        branch->setData(0, kDataRole, FixedItemData(kind));
        branch->setIcon(0, style()->standardIcon(QStyle::SP_DirClosedIcon));
        QList<QTreeWidgetItem*> children;
        for (const auto& record : m_tree.Items(kind)) {
            children.append(MakeRecordItem(record));
        }
        branch->addChildren(children);
    }
    setUpdatesEnabled(true);
    m_updating = false;
}

QTreeWidgetItem* CLeftView::MakeRecordItem(const editor::RecordItem& record) {
    auto* item = new QTreeWidgetItem({ui::qt::ToQString(record.label)});
    item->setData(0, kDataRole, record.pathIndex);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setIcon(0, m_recordIcon);
    return item;
}

QTreeWidgetItem* CLeftView::BranchItem(RecordKind kind) const {
    return topLevelItem(TopLevelIndex(kind));
}

QTreeWidgetItem* CLeftView::RecordItem(RecordKind kind, const std::u16string& label) const {
    const auto position = m_tree.Find(kind, label);
    QTreeWidgetItem* branch = BranchItem(kind);
    if (!position || branch == nullptr || !IsRecordBranch(kind)) {
        return nullptr;
    }
    return branch->child(static_cast<int>(*position));
}

RecordKind CLeftView::KindOfItem(const QTreeWidgetItem* item) const {
    if (item == nullptr) {
        return RecordKind::None;
    }
    const QTreeWidgetItem* top = item->parent() != nullptr ? item->parent() : item;
    return KindOfFixedItem(ItemData(top));
}

TreeSelection CLeftView::Selected() const {
    const QTreeWidgetItem* item = currentItem();
    if (item == nullptr || !item->isSelected()) {
        return {};
    }
    TreeSelection selection{KindOfItem(item), {}};
    if (item->parent() != nullptr) {
        selection.label = ui::qt::FromQString(item->text(0));
    }
    return selection;
}

QTreeWidgetItem* CLeftView::ItemOf(const TreeSelection& selection) const {
    if (selection.kind == RecordKind::None) {
        return nullptr;
    }
    if (!selection.label.empty()) {
        if (QTreeWidgetItem* item = RecordItem(selection.kind, selection.label)) {
            return item;
        }
    }
    return BranchItem(selection.kind);
}

void CLeftView::Select(const TreeTarget& target) {
    if (target.kind == RecordKind::None) {
        SelectNothing();
        return;
    }
    if (IsRecordBranch(target.kind)) {
        BranchItem(target.kind)->setExpanded(true);
    }
    QTreeWidgetItem* item = ItemOf(ResolveTarget(m_tree, target));
    setCurrentItem(item);
    if (item != nullptr) {
        item->setSelected(true);
        scrollToItem(item);
    }
}

void CLeftView::SelectNothing() {
    m_updating = true;
    setCurrentItem(nullptr);
    clearSelection();
    m_updating = false;
}

void CLeftView::SetCurrentQuietly(QTreeWidgetItem* item) {
    m_updating = true;
    setCurrentItem(item);
    m_updating = false;
}

void CLeftView::OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (m_updating) {
        return;
    }
    RightPane& pane = m_rightView.Pane();
    const RecordKind kindBefore = pane.CurrentKind();
    bool shown = true;
    if (current == nullptr) {
        shown = pane.ShowNothing();
    } else if (current->parent() != nullptr) {
        shown = pane.ShowRecord(m_tree.PathOf(ItemData(current)), false);
    } else if (KindOfFixedItem(ItemData(current)) == RecordKind::Options) {
        shown = pane.ShowOptions();
    } else {
        shown = pane.ShowNothing();
    }
    // The old content refused to close: the selection goes back to it.
    if (!shown && pane.CurrentKind() != RecordKind::None && pane.CurrentKind() == kindBefore) {
        QTimer::singleShot(0, this, [this, previous] { SetCurrentQuietly(previous); });
    }
}

void CLeftView::NewRecord(RecordKind kind) {
    const std::u16string folder = m_settings.GetRecordFolder(kind);
    const auto name = NameNewRecord(folder, kind, [this, kind] { return m_namePrompt(kind); });
    if (!name) {
        return;
    }
    RightPane& pane = m_rightView.Pane();
    if (!pane.Close({})) {
        return;
    }
    const std::u16string path = RecordPath(folder, *name, kind);
    InsertRecord(kind, *name, path);
    pane.ShowRecord(path, true);
    m_updating = true;
    Select({kind, *name});
    m_updating = false;
    m_rightView.FocusContent();
}

void CLeftView::InsertRecord(RecordKind kind, const std::u16string& label,
                             const std::u16string& path) {
    const std::size_t position = m_tree.Insert(kind, label, path);
    const auto& record = m_tree.Items(kind)[position];
    m_updating = true;
    BranchItem(kind)->insertChild(static_cast<int>(position), MakeRecordItem(record));
    m_updating = false;
}

void CLeftView::RemoveRecord(RecordKind kind, const std::u16string& label) {
    const auto position = m_tree.Remove(kind, label);
    QTreeWidgetItem* branch = BranchItem(kind);
    if (position) {
        m_updating = true;
        delete branch->takeChild(static_cast<int>(*position));
        m_updating = false;
    }
    SetCurrentQuietly(branch);
    branch->setSelected(true);
}

bool CLeftView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (trigger == QAbstractItemView::AllEditTriggers ||
        trigger == QAbstractItemView::NoEditTriggers) {
        return QTreeWidget::edit(index, trigger, event);
    }
    QTreeWidgetItem* item = itemFromIndex(index);
    if (item == nullptr || item->parent() == nullptr) {
        return false;
    }
    // The record stays open, but its changes are offered for saving before its file moves.
    if (!m_rightView.Pane().Close({.ask = true, .close = false, .hide = false})) {
        return false;
    }
    m_pendingRename = KindOfItem(item);
    return QTreeWidget::edit(index, trigger, event);
}

void CLeftView::Rename() {
    QTreeWidgetItem* item = currentItem();
    if (item == nullptr || item->parent() == nullptr) {
        return;
    }
    edit(indexFromItem(item), QAbstractItemView::EditKeyPressed, nullptr);
}

void CLeftView::OnItemChanged(QTreeWidgetItem* item, int /*column*/) {
    if (m_updating || item->parent() == nullptr || m_pendingRename == RecordKind::None) {
        return;
    }
    const RecordKind kind = m_pendingRename;
    m_pendingRename = RecordKind::None;
    const std::u16string oldPath = m_tree.PathOf(ItemData(item));
    const std::u16string oldLabel = RecordNameOf(oldPath);
    const std::u16string newLabel = ui::qt::FromQString(item->text(0));
    const RenameOutcome outcome = RenameRecord(m_settings, kind, oldPath, newLabel);
    if (!outcome.renamed) {
        m_updating = true;
        item->setText(0, ui::qt::ToQString(oldLabel));
        m_updating = false;
        if (!outcome.message.empty()) {
            ui::ShowMessage(outcome.message, ui::Icon::Exclamation);
        }
        QTimer::singleShot(0, this, [this, item] {
            m_pendingRename = KindOfItem(item);
            QTreeWidget::edit(indexFromItem(item), QAbstractItemView::AllEditTriggers, nullptr);
        });
        return;
    }
    m_rightView.Pane().RecordRenamed(oldPath, outcome.newPath);
    const auto position = m_tree.Find(kind, oldLabel);
    if (position) {
        m_tree.Relabel(kind, *position, newLabel, outcome.newPath);
    }
    emit RefreshRequested();
}

void CLeftView::Refresh() {
    RightPane& pane = m_rightView.Pane();
    TreeSelection remembered = Selected();
    const RecordKind shownKind = pane.CurrentKind();
    if (shownKind != RecordKind::None) {
        remembered.kind = shownKind;
    }
    bool expanded[4] = {};
    for (RecordKind kind : kTopLevelKinds) {
        expanded[TopLevelIndex(kind)] =
            BranchItem(kind) != nullptr && BranchItem(kind)->isExpanded();
    }
    if (!pane.Close({})) {
        return;
    }
    pane.ShowNothing();
    setUpdatesEnabled(false);
    Build();
    for (RecordKind kind : kTopLevelKinds) {
        BranchItem(kind)->setExpanded(expanded[TopLevelIndex(kind)]);
    }
    setUpdatesEnabled(true);
    Select({remembered.kind, remembered.label});
}

void CLeftView::keyPressEvent(QKeyEvent* event) {
    const bool tab = event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier);
    const RecordKind shown = m_rightView.Pane().CurrentKind();
    const bool rightToRecord = event->key() == Qt::Key_Right &&
                               (shown == RecordKind::Identity || shown == RecordKind::WebLogin ||
                                shown == RecordKind::SecureNote);
    if (tab || rightToRecord) {
        emit RightPaneFocusRequested();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = itemAt(event->pos());
    if (item == nullptr) {
        return;
    }
    if (item != currentItem()) {
        setCurrentItem(item);
    }
    if (m_rightView.Pane().ChangesPending() || m_popup == nullptr) {
        return;
    }
    m_popup->popup(event->globalPos());
}

}  // namespace veltrix::editor::qt
