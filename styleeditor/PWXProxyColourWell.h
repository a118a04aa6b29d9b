#pragma once

#include "platform/ui/ColorWell.h"

#include <QPointer>

// An invisible colour well through which the gradient control takes the shared colour panel,
// so that taking the panel with another well lets the control know it has lost it.
class PWXProxyColourWell : public pf::ColorWell {
public:
    // What the well tells its delegate when it is deactivated.
    class Delegate {
    public:
        virtual ~Delegate() = default;
        virtual void deactivate() = 0;
    };

    explicit PWXProxyColourWell(QWidget* parent = nullptr);

    // Not retained.
    void setDelegate(Delegate* delegate) { mDelegateRef = delegate; }
    Delegate* delegate() const { return mDelegateRef; }

    void deactivate() override;

private:
    Delegate* mDelegateRef = nullptr;
};
