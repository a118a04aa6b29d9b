#include "platform/ui/SearchField.h"

#include "platform/graphics/SystemColor.h"
#include "platform/ui/Event.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QPainter>
#include <QPointer>

PF_DEFINE_CLASS_NAMED(pf::SearchField, pf::TextField, "pf::SearchField")
{
    b.property("recentSearches", &pf::SearchField::recentSearches, &pf::SearchField::setRecentSearches);
    b.method("cancel", &pf::SearchField::cancel);
}

namespace pf {

namespace {

constexpr double kButtonWidth = 18;

} // namespace

SearchField::SearchField(QWidget* parent)
    : TextField(parent)
{
    setContinuous(true);
    setSendsActionOnEndEditing(true);
    // The field draws its own rounded frame around the buttons and the text.
    setBezeled(false);
}

void SearchField::setRecentSearches(const QStringList& searches)
{
    m_recents = searches.mid(0, m_maximumRecents);
}

void SearchField::setMaximumRecents(int maximum)
{
    m_maximumRecents = std::max(0, maximum);
    m_recents = m_recents.mid(0, m_maximumRecents);
}

void SearchField::noteRecentSearch(const QString& search)
{
    if (search.isEmpty() || m_maximumRecents == 0)
        return;
    m_recents.removeAll(search);
    m_recents.prepend(search);
    m_recents = m_recents.mid(0, m_maximumRecents);
}

void SearchField::textDidEndEditing(FieldEditor& editor, TextMovement movement)
{
    QPointer<SearchField> self(this);
    TextField::textDidEndEditing(editor, movement);
    // Only searches given by Return count as recent; typing sends many partial ones.
    if (self && movement == TextMovement::Return)
        noteRecentSearch(stringValue());
}

QRectF SearchField::cellFrame() const
{
    return bounds().adjusted(kButtonWidth, 0, -kButtonWidth, 0);
}

Ref<Menu> SearchField::searchMenu()
{
    if (!m_template)
        return nullptr;
    Ref<Menu> menu = m_template->copyMenu();
    const bool hasRecents = !m_recents.isEmpty();
    for (int i = menu->numberOfItems() - 1; i >= 0; --i) {
        MenuItem* item = menu->itemAtIndex(i);
        switch (item->tag()) {
        case NSSearchFieldRecentsTitleMenuItemTag:
        case NSSearchFieldClearRecentsMenuItemTag:
            item->setHidden(!hasRecents);
            break;
        case NSSearchFieldNoRecentsMenuItemTag:
            item->setHidden(hasRecents);
            break;
        case NSSearchFieldRecentsMenuItemTag: {
            menu->removeItemAtIndex(i);
            int at = i;
            for (const QString& search : m_recents) {
                Ref<MenuItem> recent = MenuItem::make(search);
                recent->setRepresentedObject(search);
                recent->setTag(NSSearchFieldRecentsMenuItemTag);
                menu->insertItem(recent, at++);
            }
            break;
        }
        default:
            break;
        }
    }
    return menu;
}

QRectF SearchField::searchButtonRect() const
{
    const QRectF b = bounds();
    return QRectF(b.x(), b.y(), kButtonWidth, b.height());
}

QRectF SearchField::cancelButtonRect() const
{
    const QRectF b = bounds();
    return QRectF(b.right() - kButtonWidth, b.y(), kButtonWidth, b.height());
}

void SearchField::cancel()
{
    abortEditing();
    setStringValue(QString());
    sendAction();
}

void SearchField::recentChosen(const QString& search)
{
    abortEditing();
    setStringValue(search);
    sendAction();
}

void SearchField::mouseDown(const Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    if (isEnabled() && searchButtonRect().contains(point)) {
        Ref<Menu> menu = searchMenu();
        if (!menu)
            return;
        QPointer<SearchField> self(this);
        const QRectF b = bounds();
        const QPointF corner = boundsToWidgetTransform().map(isFlipped() ? b.bottomLeft() : b.topLeft());
        MenuItem* chosen = menu->popUp(mapToGlobal(corner.toPoint()));
        if (self && chosen && chosen->tag() == NSSearchFieldRecentsMenuItemTag)
            recentChosen(chosen->representedObject().toString());
        else if (self && chosen && chosen->tag() == NSSearchFieldClearRecentsMenuItemTag)
            m_recents.clear();
        return;
    }
    if (isEnabled() && !stringValue().isEmpty() && cancelButtonRect().contains(point)) {
        cancel();
        return;
    }
    TextField::mouseDown(event);
}

void SearchField::drawRect(const QRectF& dirtyRect)
{
    Cell::drawUpright(bounds(), [](QPainter& painter, const QRectF& rect) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(SystemColor::grid().qColor(), 1));
        painter.setBrush(SystemColor::textBackground().brush());
        const double radius = rect.height() / 2 - 0.5;
        painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    });
    TextField::drawRect(dirtyRect);
    const QColor glyph = SystemColor::disabledControlText().qColor();
    Cell::drawUpright(searchButtonRect(), [&](QPainter& painter, const QRectF& rect) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(glyph, 1.5));
        const QPointF c = rect.center() - QPointF(1, 1);
        painter.drawEllipse(c, 4, 4);
        painter.drawLine(c + QPointF(3, 3), c + QPointF(6, 6));
    });
    if (stringValue().isEmpty() && !currentEditor())
        return;
    Cell::drawUpright(cancelButtonRect(), [&](QPainter& painter, const QRectF& rect) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(glyph);
        painter.drawEllipse(rect.center(), 6, 6);
        painter.setPen(QPen(Qt::white, 1.5));
        const QPointF c = rect.center();
        painter.drawLine(c + QPointF(-2.5, -2.5), c + QPointF(2.5, 2.5));
        painter.drawLine(c + QPointF(-2.5, 2.5), c + QPointF(2.5, -2.5));
    });
}

} // namespace pf
