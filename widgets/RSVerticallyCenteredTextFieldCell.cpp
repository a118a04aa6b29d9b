#include "widgets/RSVerticallyCenteredTextFieldCell.h"

#include "widgets/RSContextualMenuTableDelegate.h"

#include "platform/ui/Menu.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDelegate.h"

PF_DEFINE_CLASS(RSVerticallyCenteredTextFieldCell, pf::TextFieldCell) {}

pf::Ref<pf::Cell> RSVerticallyCenteredTextFieldCell::copyCell() const
{
    auto copy = std::make_shared<RSVerticallyCenteredTextFieldCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

QRectF RSVerticallyCenteredTextFieldCell::centredRectForBounds(const QRectF& bounds) const
{
    QRectF rect = pf::TextFieldCell::drawingRectForBounds(bounds);
    const double textHeight = cellSizeForBounds(rect).height();
    const float extra = float(rect.height()) - float(textHeight);
    if (extra > 0) {
        rect.setHeight(textHeight);
        rect.moveTop(rect.y() + extra * 0.5);
    }
    return rect;
}

QRectF RSVerticallyCenteredTextFieldCell::drawingRectForBounds(const QRectF& bounds) const
{
    // The editor is placed on an already centred frame; centring it again would push it down.
    if (mIsEditingOrSelecting)
        return pf::TextFieldCell::drawingRectForBounds(bounds);
    return centredRectForBounds(bounds);
}

void RSVerticallyCenteredTextFieldCell::selectWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor,
                                                        pf::FieldEditorDelegate* delegate, int start, int length)
{
    const QRectF centred = centredRectForBounds(frame);
    mIsEditingOrSelecting = true;
    pf::TextFieldCell::selectWithFrame(centred, view, editor, delegate, start, length);
    mIsEditingOrSelecting = false;
}

void RSVerticallyCenteredTextFieldCell::editWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor,
                                                      pf::FieldEditorDelegate* delegate, const pf::Event* event)
{
    // Selecting edits through here with a frame that is centred already.
    if (mIsEditingOrSelecting) {
        pf::TextFieldCell::editWithFrame(frame, view, editor, delegate, event);
        return;
    }
    const QRectF centred = centredRectForBounds(frame);
    mIsEditingOrSelecting = true;
    pf::TextFieldCell::editWithFrame(centred, view, editor, delegate, event);
    mIsEditingOrSelecting = false;
}

unsigned RSVerticallyCenteredTextFieldCell::hitTestForEvent(const pf::Event& event, const QRectF& frame,
                                                            pf::View* view) const
{
    return pf::TextFieldCell::hitTestForEvent(event, centredRectForBounds(frame), view);
}

pf::Ref<pf::Menu> RSVerticallyCenteredTextFieldCell::menuForEvent(const pf::Event&, const QRectF& frame,
                                                                  pf::View* view) const
{
    auto* table = qobject_cast<pf::TableView*>(view);
    if (!table)
        return nullptr;
    auto* delegate = dynamic_cast<RSContextualMenuTableDelegate*>(table->delegate());
    if (!delegate)
        return nullptr;
    const QPointF centre = frame.center();
    const int row = table->rowAtPoint(centre);
    const int column = table->columnAtPoint(centre);
    pf::TableColumn* tableColumn = column >= 0 ? table->tableColumns().at(column).get() : nullptr;
    return delegate->contextualMenuForTableView(*table, tableColumn, row);
}
