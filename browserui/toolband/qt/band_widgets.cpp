#include "browserui/toolband/qt/band_widgets.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/qt/qt_support.h"

namespace veltrix::toolband::qt {
namespace {

using ui::qt::ToQString;

constexpr char kCommandProperty[] = "veltrixCommand";

// Adds `items` to `menu`, submenus included; menus are two levels deep.
void AddItems(QMenu& menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (item.separator) {
            menu.addSeparator();
        } else if (item.IsSubmenu()) {
            AddItems(*menu.addMenu(ToQString(item.text)), item.items);
        } else {
            QAction* action = menu.addAction(ToQString(item.text));
            action->setData(item.id);
            action->setEnabled(item.enabled);
        }
    }
}

QListWidgetItem* ButtonItem(std::uint32_t commandId) {
    const auto button = FindButton(commandId);
    auto* item =
        new QListWidgetItem(ButtonIcon(commandId), button ? ToQString(button->text) : QString());
    item->setData(Qt::UserRole, commandId);
    return item;
}

}  // namespace

QIcon ButtonIcon(std::uint32_t commandId) {
    QStyle* style = QApplication::style();
    switch (commandId) {
        case kVeltrixButton:
            return style->standardIcon(QStyle::SP_DriveHDIcon);
        case kWebLoginButton:
            return style->standardIcon(QStyle::SP_DirLinkIcon);
        case kFillButton:
            return style->standardIcon(QStyle::SP_DialogApplyButton);
        case kSaveButton:
            return style->standardIcon(QStyle::SP_DialogSaveButton);
        case kOptionsButton:
            return style->standardIcon(QStyle::SP_FileDialogDetailedView);
        case kGenerateButton:
            return style->standardIcon(QStyle::SP_BrowserReload);
        default:
            return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    }
}

// ---- CToolbarWidget ----

CToolbarWidget::CToolbarWidget(IToolbarHandler& handler) : m_handler(handler) {
    setObjectName("VeltrixToolbar");
    setMovable(false);
    setFloatable(false);
    setIconSize({16, 16});
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void CToolbarWidget::SetButtons(const std::vector<ToolbarButton>& buttons) {
    clear();
    for (const ToolbarButton& entry : buttons) {
        auto* button = new QToolButton(this);
        button->setText(ToQString(entry.text));
        button->setIcon(ButtonIcon(entry.commandId));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setProperty(kCommandProperty, entry.commandId);
        if (!entry.tip.empty()) {
            button->setToolTip(ToQString(entry.tip));
        }
        if (entry.dropDown) {
            // The arrow shows that the whole button opens a menu.
            button->setPopupMode(QToolButton::InstantPopup);
            button->setArrowType(Qt::NoArrow);
            button->setText(button->text() + QString::fromUtf8(" \u25BE"));
        }
        const std::uint32_t id = entry.commandId;
        const bool dropDown = entry.dropDown;
        connect(button, &QToolButton::clicked, this, [this, id, dropDown] {
            if (dropDown) {
                m_handler.OnDropDown(id);
            } else {
                m_handler.OnButtonClick(id);
            }
        });
        addWidget(button);
    }
    m_buttonCount = static_cast<int>(buttons.size());
    updateGeometry();
    adjustSize();
}

std::uint32_t CToolbarWidget::TrackMenu(const Menu& menu, std::uint32_t buttonId) {
    QMenu popup(this);
    AddItems(popup, menu.items);
    QPoint at = mapToGlobal(QPoint(0, height()));
    for (QToolButton* button : findChildren<QToolButton*>()) {
        if (button->property(kCommandProperty).toUInt() == buttonId) {
            at = button->mapToGlobal(QPoint(0, button->height()));
        }
    }
    // The item triggered in the menu or one of its submenus; Qt lays a menu taller than the
    // screen out in columns of its own.
    std::uint32_t chosen = 0;
    connect(&popup, &QMenu::triggered, &popup,
            [&chosen](QAction* action) { chosen = action->data().toUInt(); });
    popup.exec(at);
    return chosen;
}

int CToolbarWidget::ButtonsWidth() const {
    int width = 0;
    for (const QToolButton* button : findChildren<QToolButton*>()) {
        // The toolbar's own extension arrow is no button of ours.
        if (button->property(kCommandProperty).isValid()) {
            width += button->sizeHint().width();
        }
    }
    return width;
}

QSize CToolbarWidget::sizeHint() const {
    // Wide enough for every button, so that none hides behind the extension arrow.
    const QMargins margins = contentsMargins();
    const int spacing = layout() != nullptr ? layout()->spacing() : 0;
    return {ButtonsWidth() + margins.left() + margins.right() + spacing * (m_buttonCount + 1) + 12,
            QToolBar::sizeHint().height()};
}

void CToolbarWidget::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    m_handler.OnRightClick();
}

// ---- CCustomizeToolbarDlg ----

CCustomizeToolbarDlg::CCustomizeToolbarDlg(CustomizeSession& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_available(new QListWidget(this)),
      m_shown(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Customize Toolbar"));
    for (QListWidget* list : {m_available, m_shown}) {
        list->setDragDropMode(QAbstractItemView::NoDragDrop);
        list->setIconSize({16, 16});
    }

    auto* insert = new QPushButton(QStringLiteral("&Add ->"), this);
    auto* remove = new QPushButton(QStringLiteral("<- &Remove"), this);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(insert);
    middle->addWidget(remove);
    middle->addStretch();

    auto* availableLabel = new QLabel(QStringLiteral("A&vailable toolbar buttons:"), this);
    availableLabel->setBuddy(m_available);
    auto* shownLabel = new QLabel(QStringLiteral("&Toolbar buttons:"), this);
    shownLabel->setBuddy(m_shown);
    auto* left = new QVBoxLayout;
    left->addWidget(availableLabel);
    left->addWidget(m_available);
    auto* right = new QVBoxLayout;
    right->addWidget(shownLabel);
    right->addWidget(m_shown);

    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    auto* reset = new QPushButton(QStringLiteral("R&eset"), this);
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    auto* side = new QVBoxLayout;
    side->addWidget(close);
    side->addWidget(reset);
    side->addWidget(help);
    side->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(middle);
    layout->addLayout(right);
    layout->addLayout(side);

    connect(insert, &QPushButton::clicked, this, &CCustomizeToolbarDlg::InsertSelected);
    connect(remove, &QPushButton::clicked, this, &CCustomizeToolbarDlg::DeleteSelected);
    connect(m_available, &QListWidget::itemDoubleClicked, this,
            &CCustomizeToolbarDlg::InsertSelected);
    connect(m_shown, &QListWidget::itemDoubleClicked, this, &CCustomizeToolbarDlg::DeleteSelected);
    connect(reset, &QPushButton::clicked, this, [this] {
        m_session.Reset();
        Fill();
    });
    connect(help, &QPushButton::clicked, this, [this] { m_session.Help(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    close->setDefault(true);
    Fill();
}

void CCustomizeToolbarDlg::Fill() {
    m_available->clear();
    m_shown->clear();
    for (const std::uint32_t id : m_session.Available()) {
        m_available->addItem(ButtonItem(id));
    }
    for (const std::uint32_t id : m_session.Shown()) {
        m_shown->addItem(ButtonItem(id));
    }
}

void CCustomizeToolbarDlg::InsertSelected() {
    const QListWidgetItem* item = m_available->currentItem();
    if (item == nullptr) {
        return;
    }
    const int row = m_shown->currentRow();
    const std::size_t position = row < 0 ? m_session.Shown().size() : static_cast<std::size_t>(row);
    if (m_session.Insert(item->data(Qt::UserRole).toUInt(), position)) {
        Fill();
    }
}

void CCustomizeToolbarDlg::DeleteSelected() {
    const int row = m_shown->currentRow();
    if (row >= 0 && m_session.Delete(static_cast<std::size_t>(row))) {
        Fill();
    }
}

std::unique_ptr<QMessageBox> MakeAboutBox(QWidget* parent, std::u16string_view programName,
                                          std::u16string_view version) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(QStringLiteral("About ") + ToQString(programName));
    box->setIconPixmap(ButtonIcon(kVeltrixButton).pixmap(32, 32));
    box->setText(QStringLiteral("<b>") + ToQString(programName).toHtmlEscaped() +
                 QStringLiteral("</b>"));
    box->setInformativeText(QStringLiteral("Version ") + ToQString(version).toHtmlEscaped());
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

void ShowAboutBox(QWidget* parent, std::u16string_view programName, std::u16string_view version) {
    MakeAboutBox(parent, programName, version)->exec();
}

}  // namespace veltrix::toolband::qt
