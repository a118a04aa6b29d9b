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
// The group is also drawn as one picture: with its own opacity (members that overlap do not
// show through each other) and blended with what lies under it by its blend mode, one of the
// framework's compositing values or the hue, saturation, colour and luminosity modes (these
// need the pixels under the group: where the output cannot be read back, as on some screens,
// the group is drawn normally). An "isolated" group without a clip is just such a picture.
//
// Key-value coding: "clip" (the object), "clipKind" (0 coverage, 1 luminance),
// "groupOpacity", "blendMode".
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
    // 0...1; values beyond are clamped, NaN refused.
    double groupOpacity() const { return m_opacity; }
    void setGroupOpacity(double opacity);
    // A compositing value (PWCompositing.h) or a non-separable blend value; others are refused.
    int blendMode() const { return m_blendMode; }
    void setBlendMode(int mode);
    // Whether the group draws other than as its members would one by one.
    bool isComposited() const;

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
    double m_opacity = 1.0;
    int m_blendMode;
};
