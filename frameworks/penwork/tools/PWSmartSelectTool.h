#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

// Selects alike objects: a click on an object selects every object of the active layer that
// matches it (Shift adds them to the selection). What "alike" means is the match mode, kept
// with the tool's settings and offered by the palette button's menu.
class PWSmartSelectTool : public PWDrawingTool {
    PF_CLASS(PWSmartSelectTool)
public:
    enum MatchMode { kMatchStyle = 0, kMatchKind = 1, kMatchStyleAndKind = 2 };

    MatchMode matchMode() const { return m_mode; }
    void setMatchMode(int mode);
    // Whether `candidate` matches `model` in `mode`: the same style (or one equal to it), the
    // same class of object, or both.
    static bool matches(const PWDrawableObject& model, const PWDrawableObject& candidate, MatchMode mode);

    QString defaultActionName() const override { return QStringLiteral("Select Similar"); }
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    QVariantMap toolSettings() const override;
    void applyToolSettings(const QVariantMap& settings) override;

private:
    MatchMode m_mode = kMatchStyle;
    bool m_selected = false;
};
