#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/ToolbarItem.h"

#include <QList>
#include <QPointer>
#include <QString>

class QTimer;
class QToolBar;

namespace pf {

class ToolbarDelegate;
class Window;

// Posted with the toolbar as object and the item under "item" in the user information:
// before an item goes into the toolbar, and after one has left it.
inline const QString NSToolbarWillAddItemNotification = QStringLiteral("NSToolbarWillAddItemNotification");
inline const QString NSToolbarDidRemoveItemNotification = QStringLiteral("NSToolbarDidRemoveItemNotification");
inline const QString kToolbarItemKey = QStringLiteral("item");

// A window's toolbar: items by identifier from its delegate (or the standard spaces), shown
// in a QToolBar at the top of the window's content area and validated while the window is
// in use. Users do not customise it.
class Toolbar : public Object {
    PF_CLASS(Toolbar)
public:
    enum class DisplayMode { Default, IconAndLabel, IconOnly, LabelOnly };

    explicit Toolbar(QString identifier = {});
    ~Toolbar() override;
    static Ref<Toolbar> make(const QString& identifier);

    QString identifier() const { return m_identifier; }

    ToolbarDelegate* delegate() const { return m_delegate; }
    // Not owned. A toolbar with no items takes the delegate's default ones.
    void setDelegate(ToolbarDelegate* delegate);

    const QList<Ref<ToolbarItem>>& items() const { return m_items; }
    // Asks the delegate for the item (standard identifiers are made here) and inserts it.
    void insertItemWithItemIdentifier(const QString& identifier, int index);
    void removeItemAtIndex(int index);

    DisplayMode displayMode() const { return m_displayMode; }
    void setDisplayMode(DisplayMode mode);
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    // The height it takes from the window; 0 while hidden.
    double height() const;

    // Validates every item (what the idle timer and window activation do).
    void validateVisibleItems();

    // The window showing it (set by Window::setToolbar).
    Window* window() const { return m_window; }
    // The widget showing the items, made on first use.
    QToolBar* qToolBar();

private:
    friend class Window;
    void setWindow(Window* window);
    Ref<ToolbarItem> makeItem(const QString& identifier);
    void insertItem(const Ref<ToolbarItem>& item, int index);
    void applyDisplayMode();

    QString m_identifier;
    ToolbarDelegate* m_delegate = nullptr;
    QList<Ref<ToolbarItem>> m_items;
    DisplayMode m_displayMode = DisplayMode::Default;
    bool m_visible = true;
    QPointer<Window> m_window;
    QPointer<QToolBar> m_toolBar;
    QTimer* m_validationTimer = nullptr;
    quint64 m_keyObservation = 0;
};

} // namespace pf
