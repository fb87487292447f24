// One page of the Identity property sheet.
#pragma once

#include <QWidget>

#include "core/identity.h"

namespace veltrix::editor::identity {

class IdentityPage : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    // Shows the record's data (null: shows nothing and stores nothing).
    virtual void Load(CIdentity* identity) = 0;
    // The leave check: on failure shows its message, puts the focus on the control it names and
    // returns false.
    virtual bool CheckLeave() { return true; }
    // The page becomes the active one.
    virtual void Activated() {}

signals:
    // An edit was copied into the record.
    void Changed();
};

}  // namespace veltrix::editor::identity
