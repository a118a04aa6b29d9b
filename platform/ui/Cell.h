#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/ParagraphStyle.h"
#include "platform/ui/UserInterfaceItem.h"
#include "platform/ui/View.h"

#include <QFont>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QPainter;

namespace pf {

struct Event;
class FieldEditor;
class FieldEditorDelegate;
class GraphicsContext;
class Image;
class Menu;
class NumberFormatter;

// How much room a control takes.
enum class ControlSize { Regular, Small, Mini };

// How an image is fitted into a rectangle smaller or larger than it.
enum class ImageScaling { ProportionallyDown = 0, AxesIndependently = 1, None = 2, ProportionallyUpOrDown = 3 };

// What a point in a cell is over (bits).
enum CellHitResult : unsigned {
    CellHitNone = 0,
    CellHitContentArea = 1,
    CellHitEditableTextArea = 2,
    CellHitTrackableArea = 4,
};

// A lightweight object that draws a value and tracks the mouse for the view hosting it: a
// control, a table column or a custom view. Rectangles are in the hosting view's bounds
// coordinates (y-up or y-down as the view is flipped); drawing goes to the current
// pf::GraphicsContext. The value is an object value; a formatter turns numbers to text and
// back.
class Cell : public Object {
    PF_CLASS(Cell)
public:
    Cell() = default;
    explicit Cell(const QString& text);
    Cell(const Cell& other) = default;
    ~Cell() override;

    // A copy taking every attribute (not the control view).
    virtual Ref<Cell> copyCell() const;
    Ref<Object> copy() const override { return copyCell(); }

    // --- Value
    QVariant objectValue() const { return m_value; }
    virtual void setObjectValue(const QVariant& value);
    // The value as text: through the formatter when there is one.
    virtual QString stringValue() const;
    // Through the formatter when there is one (text it rejects leaves the value as it was).
    virtual void setStringValue(const QString& text);
    int intValue() const;
    void setIntValue(int value) { setObjectValue(value); }
    double doubleValue() const;
    void setDoubleValue(double value) { setObjectValue(value); }
    std::shared_ptr<NumberFormatter> formatter() const { return m_formatter; }
    void setFormatter(std::shared_ptr<NumberFormatter> formatter) { m_formatter = std::move(formatter); }

    virtual QString title() const { return stringValue(); }
    virtual void setTitle(const QString& title) { setStringValue(title); }
    Ref<Image> image() const { return m_image; }
    virtual void setImage(const Ref<Image>& image) { m_image = image; }

    // --- State
    ControlState state() const { return m_state; }
    // Mixed becomes On unless mixed states are allowed.
    virtual void setState(ControlState state);
    bool allowsMixedState() const { return m_allowsMixedState; }
    void setAllowsMixedState(bool allows) { m_allowsMixedState = allows; }
    // The state a click moves to: on to off, off to mixed (when allowed) or on, mixed to on.
    ControlState nextState() const;
    void setNextState() { setState(nextState()); }
    bool isEnabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted) { m_highlighted = highlighted; }
    bool isEditable() const { return m_editable; }
    // Editable cells are selectable too.
    void setEditable(bool editable);
    bool isSelectable() const { return m_selectable || m_editable; }
    void setSelectable(bool selectable) { m_selectable = selectable; }
    bool isBezeled() const { return m_bezeled; }
    void setBezeled(bool bezeled) { m_bezeled = bezeled; }
    bool isBordered() const { return m_bordered; }
    void setBordered(bool bordered) { m_bordered = bordered; }
    bool isContinuous() const { return m_continuous; }
    void setContinuous(bool continuous) { m_continuous = continuous; }

    // --- Appearance
    QFont font() const;
    void setFont(const QFont& font) { m_font = font; m_hasFont = true; }
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    LineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(LineBreakMode mode) { m_lineBreakMode = mode; }
    bool truncatesLastVisibleLine() const { return m_truncatesLastLine; }
    void setTruncatesLastVisibleLine(bool truncates) { m_truncatesLastLine = truncates; }
    bool wraps() const { return m_lineBreakMode == LineBreakByWordWrapping || m_lineBreakMode == LineBreakByCharWrapping; }
    ControlSize controlSize() const { return m_controlSize; }
    void setControlSize(ControlSize size) { m_controlSize = size; }

    // --- Context
    QVariant representedObject() const { return m_representedObject; }
    void setRepresentedObject(const QVariant& object) { m_representedObject = object; }
    View* controlView() const { return m_controlView; }
    void setControlView(View* view) { m_controlView = view; }
    virtual Ref<Menu> menu() const { return m_menu; }
    void setMenu(const Ref<Menu>& menu) { m_menu = menu; }
    QString toolTip() const { return m_toolTip; }
    void setToolTip(const QString& toolTip) { m_toolTip = toolTip; }

    // --- Geometry
    // The area the cell draws its content in: the bounds less the bezel or border.
    virtual QRectF drawingRectForBounds(const QRectF& bounds) const;
    virtual QRectF titleRectForBounds(const QRectF& bounds) const;
    virtual QRectF imageRectForBounds(const QRectF& bounds) const;
    // The size the content needs, limited to `bounds` where text would wrap.
    virtual QSizeF cellSizeForBounds(const QRectF& bounds) const;
    QSizeF cellSize() const;

    // --- Drawing
    // The border or bezel, then the interior.
    virtual void drawWithFrame(const QRectF& frame, View* view);
    // The value: the title as text, or the image.
    virtual void drawInteriorWithFrame(const QRectF& frame, View* view);
    // Runs `draw` with a painter whose origin is the frame's top-left corner and y runs down,
    // whichever way the view is flipped, so text and styles draw upright. `rect` is the frame
    // at the origin.
    static void drawUpright(const QRectF& frame, const std::function<void(QPainter& painter, const QRectF& rect)>& draw);
    // Where an image of `imageSize` goes in `area` with the scaling, centred.
    static QRectF scaledImageRect(QSizeF imageSize, const QRectF& area, ImageScaling scaling);
    // The text in `rect` (view coordinates) in the cell's font, alignment and line breaking.
    void drawText(const QString& text, const QRectF& rect, const QColor& colour) const;

    // --- Mouse tracking, driven by the hosting view from its mouse events
    virtual unsigned hitTestForEvent(const Event& event, const QRectF& frame, View* view) const;
    // Answers whether tracking goes on.
    virtual bool startTrackingAt(QPointF point, View* view) { return true; }
    virtual bool continueTracking(QPointF last, QPointF current, View* view) { return true; }
    virtual void stopTracking(QPointF last, QPointF current, View* view, bool mouseIsUp) {}

    // --- Editing in place with the window's field editor
    // Puts `editor` over `frame` of `view` with the cell's text and attributes; the delegate
    // hears the text messages. `event` is the click that began it, or null.
    virtual void editWithFrame(const QRectF& frame, View* view, FieldEditor* editor, FieldEditorDelegate* delegate,
                               const Event* event);
    // The same, with `length` characters from `start` selected.
    virtual void selectWithFrame(const QRectF& frame, View* view, FieldEditor* editor, FieldEditorDelegate* delegate,
                                 int start, int length);
    // Gives the editor the cell's font, colour and alignment before editing starts.
    virtual void setUpFieldEditorAttributes(FieldEditor& editor) const;
    // Takes the editor's text and puts it away.
    virtual void endEditing(FieldEditor& editor);
    // A field editor of the cell's own to use instead of the window's; null for the window's.
    virtual FieldEditor* fieldEditorForView(View* view) { return nullptr; }

    QString description() const override;

protected:
    // The colour text takes in the cell's enabled state.
    QColor textColourForState() const;

private:
    QVariant m_value;
    std::shared_ptr<NumberFormatter> m_formatter;
    Ref<Image> m_image;
    ControlState m_state = ControlState::Off;
    bool m_allowsMixedState = false;
    bool m_enabled = true;
    bool m_highlighted = false;
    bool m_editable = false;
    bool m_selectable = false;
    bool m_bezeled = false;
    bool m_bordered = false;
    bool m_continuous = false;
    QFont m_font;
    bool m_hasFont = false;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    LineBreakMode m_lineBreakMode = LineBreakByWordWrapping;
    bool m_truncatesLastLine = false;
    ControlSize m_controlSize = ControlSize::Regular;
    QVariant m_representedObject;
    QPointer<View> m_controlView;
    Ref<Menu> m_menu;
    QString m_toolTip;
};

} // namespace pf
