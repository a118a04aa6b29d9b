#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/ActionTarget.h"
#include "platform/ui/UserInterfaceItem.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QKeySequence>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <optional>

class QAction;

namespace pf {

class Menu;

// How an item's title is drawn beyond its plain text.
struct MenuItemTitleAttributes {
    std::optional<QFont> font;
    QColor color; // invalid: the menu's own colour
    bool underline = false;
};

// One item of a pf::Menu, realised as a QAction when the menu is shown. Choosing it sends
// its action through the application with the item as the sender (its explicit target, or
// the responder chain when it has none).
class MenuItem : public Object, public UserInterfaceItem {
    PF_CLASS(MenuItem)
public:
    MenuItem();
    ~MenuItem() override;

    static Ref<MenuItem> make(const QString& title, const QString& action = {},
                              const QKeySequence& keyEquivalent = {});
    static Ref<MenuItem> separator();

    bool isSeparatorItem() const { return m_separator; }

    QString title() const override { return m_title; }
    void setTitle(const QString& title) override;
    const MenuItemTitleAttributes& titleAttributes() const { return m_attributes; }
    // A title with a font, colour or underline; setTitle keeps the attributes.
    void setAttributedTitle(const QString& title, const MenuItemTitleAttributes& attributes);
    bool hasAttributedTitle() const;

    QString action() const override { return m_action; }
    void setAction(const QString& action);
    Reflective* target() const override { return m_target.get(); }
    void setTarget(Reflective* target) { m_target = ActionTarget(target); }
    int tag() const override { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    QVariant representedObject() const override { return m_representedObject; }
    void setRepresentedObject(const QVariant& object) { m_representedObject = object; }

    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);
    ControlState state() const override { return m_state; }
    void setState(ControlState state) override;
    QIcon image() const override { return m_image; }
    void setImage(const QIcon& image) override;
    int indentationLevel() const { return m_indentation; }
    // 0 to 15; each level moves the item 12 points to the right.
    void setIndentationLevel(int level);
    QString toolTip() const { return m_toolTip; }
    void setToolTip(const QString& toolTip);
    QKeySequence keyEquivalent() const { return m_keyEquivalent; }
    void setKeyEquivalent(const QKeySequence& key);
    // Further keys that send the item's action (Ctrl+= beside Ctrl++); the menu shows only the
    // key equivalent.
    QList<QKeySequence> alternateKeyEquivalents() const { return m_alternateKeys; }
    void setAlternateKeyEquivalents(const QList<QKeySequence>& keys);

    Menu* submenu() const { return m_submenu.get(); }
    void setSubmenu(const Ref<Menu>& submenu);
    bool hasSubmenu() const { return bool(m_submenu); }
    // The menu holding this item, or null.
    Menu* menu() const { return m_menu; }

    QVariant senderValue() const override;

    // The item's QAction, made on first use and kept in step with the item.
    QAction* qAction();
    // Validates (when the menu enables its items itself) and sends the action; a disabled
    // item beeps and sends nothing. Answers whether the action was performed.
    bool performAction();

private:
    friend class Menu;
    void sync();

    QString m_title;
    MenuItemTitleAttributes m_attributes;
    QString m_action;
    ActionTarget m_target;
    int m_tag = 0;
    QList<QKeySequence> m_alternateKeys;
    QVariant m_representedObject;
    bool m_enabled = true;
    bool m_hidden = false;
    ControlState m_state = ControlState::Off;
    QIcon m_image;
    int m_indentation = 0;
    QString m_toolTip;
    QKeySequence m_keyEquivalent;
    Ref<Menu> m_submenu;
    Menu* m_menu = nullptr;
    bool m_separator = false;
    QPointer<QAction> m_qaction;
};

} // namespace pf
