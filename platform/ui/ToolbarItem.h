#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/ActionTarget.h"
#include "platform/ui/UserInterfaceItem.h"

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>

class QAction;

namespace pf {

class Toolbar;

// The identifiers of the items every toolbar makes itself.
inline const QString NSToolbarFlexibleSpaceItemIdentifier = QStringLiteral("NSToolbarFlexibleSpaceItem");
inline const QString NSToolbarSpaceItemIdentifier = QStringLiteral("NSToolbarSpaceItem");
inline const QString NSToolbarSeparatorItemIdentifier = QStringLiteral("NSToolbarSeparatorItem");

// One item of a toolbar, known by its identifier: a button with an image and label that sends
// its action, or a view (a control) placed in the toolbar, or one of the spaces.
class ToolbarItem : public Object, public UserInterfaceItem {
    PF_CLASS(ToolbarItem)
public:
    explicit ToolbarItem(QString identifier = {});
    ~ToolbarItem() override;
    static Ref<ToolbarItem> make(const QString& identifier);

    QString itemIdentifier() const { return m_identifier; }
    Toolbar* toolbar() const { return m_toolbar; }

    QString label() const { return m_label; }
    void setLabel(const QString& label);
    QString paletteLabel() const { return m_paletteLabel.isEmpty() ? m_label : m_paletteLabel; }
    void setPaletteLabel(const QString& label) { m_paletteLabel = label; }
    QString toolTip() const { return m_toolTip; }
    void setToolTip(const QString& toolTip);

    // The item's control. The toolbar owns it once the item is in a toolbar; before that
    // the caller does.
    QWidget* view() const { return m_view; }
    void setView(QWidget* view);

    void setAction(const QString& action) { m_action = action; }
    void setTarget(Reflective* target) { m_target = ActionTarget(target); }
    void setTag(int tag) { m_tag = tag; }
    // Whether the toolbar validates the item on its own.
    bool autovalidates() const { return m_autovalidates; }
    void setAutovalidates(bool autovalidates) { m_autovalidates = autovalidates; }

    // An item with a view: the view when it is an interface item (a control) is validated
    // by the responder that would take its action; otherwise the item itself is.
    virtual void validate();
    // Sends the action, as a click on the item does.
    bool sendAction();

    // UserInterfaceItem
    QString action() const override { return m_action; }
    Reflective* target() const override { return m_target.get(); }
    int tag() const override { return m_tag; }
    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;
    QIcon image() const override { return m_image; }
    void setImage(const QIcon& image) override;
    QString title() const override { return m_label; }
    QVariant senderValue() const override;

    // The action showing the item in a QToolBar (made on first use).
    QAction* qAction();

private:
    friend class Toolbar;
    void setToolbar(Toolbar* toolbar) { m_toolbar = toolbar; }
    void updateAction();

    QString m_identifier;
    QString m_label;
    QString m_paletteLabel;
    QString m_toolTip;
    QIcon m_image;
    QPointer<QWidget> m_view;
    QString m_action;
    ActionTarget m_target;
    int m_tag = 0;
    bool m_enabled = true;
    bool m_autovalidates = true;
    Toolbar* m_toolbar = nullptr;
    QPointer<QAction> m_qaction;
};

} // namespace pf
