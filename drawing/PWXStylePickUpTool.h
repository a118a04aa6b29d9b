#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

class PWStyle;

// The style dropper: a click picks up the style of the clicked object (of the group member
// under the cursor), later clicks drop it on other objects; with Option held a click picks
// up again. The held style is kept between launches.
class PWXStylePickUpTool : public PWDrawingTool {
    PF_CLASS(PWXStylePickUpTool)
public:
    // Posted with the tool when its style changes.
    static const QString kDidChangeStyleNotification;
    // User default: true keeps the held style when the dropper is chosen again.
    static const QString kNoAutoResetDefaultsKey;

    // Whether choosing the dropper empties it (the inverse of the user default).
    static bool performsResetOnSelection();
    static void setPerformsResetOnSelection(bool resets);
    static QCursor dropperCursor();
    static QCursor pickUpCursor();

    pf::Ref<PWStyle> style() const { return m_style; }
    // An equal style changes nothing; another one is held, announced and shown by the cursor.
    void setStyle(const pf::Ref<PWStyle>& style);

    QString defaultActionName() const override;
    // The full dropper while a style is held and Option is up, else the empty one.
    QCursor cursor() const override;
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void flagsChanged(const PWToolEvent& event, PWLayer* layer) override;
    void toolControllerDidSetTool(PWToolController& controller) override;
    // An object drawing layer that is neither locked nor hidden.
    bool isValidTargetLayer(const PWLayer* layer) const override;

    std::optional<QByteArray> persistentData() const override;
    bool shouldLoadPersistentData(const QByteArray& data) override;

private:
    void dropStyle(PWDrawableObject& target, PWToolUndoDelegate* delegate);
    void pickUpStyle(PWDrawableObject& target, const QPointF& point);

    pf::Ref<PWStyle> m_style;
};
