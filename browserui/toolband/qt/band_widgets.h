// The band's Qt widgets: the toolbar with its drop-down buttons and tooltips, the customisation
// dialog, and the about box.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QToolBar>
#include <cstdint>
#include <memory>
#include <vector>

#include "browserui/toolband/tool_band_views.h"

class QListWidget;
class QPushButton;

namespace veltrix::toolband::qt {

// The toolbar: flat buttons with the text beside the image; a click on a plain button or on a
// drop-down button reports to the handler, a right click asks for customisation.
class CToolbarWidget final : public QToolBar {
    Q_OBJECT
public:
    explicit CToolbarWidget(IToolbarHandler& handler);

    void SetButtons(const std::vector<ToolbarButton>& buttons);
    // Shows `menu` under the button of `buttonId`; the chosen item's id, or 0.
    std::uint32_t TrackMenu(const Menu& menu, std::uint32_t buttonId);
    int ButtonsWidth() const;
    QSize sizeHint() const override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    IToolbarHandler& m_handler;
    int m_buttonCount = 0;
};

// "Customize Toolbar": the buttons available and those shown; Insert, Delete, Reset and Help. The
// order of the shown buttons cannot be changed by dragging.
class CCustomizeToolbarDlg final : public QDialog {
    Q_OBJECT
public:
    CCustomizeToolbarDlg(CustomizeSession& session, QWidget* parent);

private:
    void Fill();
    void InsertSelected();
    void DeleteSelected();

    CustomizeSession& m_session;
    QListWidget* m_available;
    QListWidget* m_shown;
};

// The icon of a button, drawn from the style's standard icons.
QIcon ButtonIcon(std::uint32_t commandId);

// "About Veltrix": the program's name and version; MakeAboutBox builds it without showing it.
std::unique_ptr<QMessageBox> MakeAboutBox(QWidget* parent, std::u16string_view programName,
                                          std::u16string_view version);
void ShowAboutBox(QWidget* parent, std::u16string_view programName, std::u16string_view version);

}  // namespace veltrix::toolband::qt
