#pragma once

#include "frameworks/penwork/drawables/PWShapeGroup.h"

class QImage;

// A group whose members show only where its clip object lets them: through the clip's
// coverage (a clipping path: where the clip is painted, the members show) or through its
// luminance (a mask: white shows, black hides, greys show in part). The members stay editable
// objects; the clip is an object of its own in the group's space, so it moves, scales and
// turns with the group and is copied and archived with it. Ungrouping lets the members go
// unclipped.
//
// Key-value coding: "clip" (the object), "clipKind" (0 coverage, 1 luminance).
class PWClippingGroup : public PWShapeGroup {
    PF_CLASS(PWClippingGroup)
public:
    enum ClipKind : int { ClipCoverage = 0, ClipLuminance = 1 };

    PWClippingGroup();
    PWClippingGroup(const PWClippingGroup& other);
    ~PWClippingGroup() override;

    // A group of `objects` shown through `clip`; all are in drawing coordinates as they stand.
    // A null clip makes a plain group that shows everything.
    static pf::Ref<PWClippingGroup> clippingGroupWithObjects(const QList<pf::Ref<PWDrawableObject>>& objects,
                                                             const pf::Ref<PWDrawableObject>& clip, int kind);

    pf::Ref<PWDrawableObject> clip() const { return m_clip; }
    int clipKind() const { return m_kind; }

    // Limits `content` (premultiplied) by `clip` (the clip object drawn over the same pixels):
    // every pixel of the content is scaled by the clip's coverage or luminance there.
    static void applyClip(QImage& content, const QImage& clip, int kind);

    // What shows: the members' extent within the clip's.
    QRectF bounds() const override;
    void drawContent() override;
    void drawContentWithStyle(PWStyle* style) override;
    bool hitTest(const QPointF& point) const override;
    QList<pf::Ref<PWStyle>> allStyles() const override;
    void replaceStyles(const QHash<const PWStyle*, pf::Ref<PWStyle>>& replacements) override;
    void setContainer(PWDrawableContainer* container) override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void clearMemberBounds() const override;

private:
    void adoptClip(const pf::Ref<PWDrawableObject>& clip);
    void drawClipped(PWStyle* style);

    pf::Ref<PWDrawableObject> m_clip;
    int m_kind = ClipCoverage;
};
