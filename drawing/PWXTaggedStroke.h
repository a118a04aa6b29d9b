#pragma once

#include "drawing/PWXEasing.h"
#include "drawing/PWXObjectPathCache.h"

#include "frameworks/penwork/styles/PWStroke.h"

#include <mutex>

// A stroke that repeats a small mark, the tag, at regular intervals along the path (ticks,
// spikes, triangles, half discs, squares, bars, circles, chevrons), optionally shrinking the
// tags near the ends, and optionally draws the path itself as the plain stroke under them.
// Archives of older versions name the class "PWXTaggedStrokeRasterizer"; it reads as this one.
//
// Key-value coding (each observable through the renderer change protocol, with undo), besides
// the stroke's: "tagLength", "tagAngle" (radians), "tagWidth" (read back as at least 0.1),
// "tagSpacing" (read back as at least 0.5), "tagPhase" (0..1 of the spacing),
// "tagTaperProportion" (0..0.5 of the length), "tagCapStyle", "tagKind" (0..12),
// "tagTaperKind", "tagsAlternate", "mainStrokeEnabled", "leftTagTaperEnabled",
// "rightTagTaperEnabled".
class PWXTaggedStroke : public PWStroke {
    PF_CLASS(PWXTaggedStroke)
public:
    static inline const QString kTagLengthKey = QStringLiteral("tagLength");
    static inline const QString kTagWidthKey = QStringLiteral("tagWidth");
    static inline const QString kTagSpacingKey = QStringLiteral("tagSpacing");
    static inline const QString kTagAngleKey = QStringLiteral("tagAngle");
    static inline const QString kTagCapStyleKey = QStringLiteral("tagCapStyle");
    static inline const QString kTagPhaseKey = QStringLiteral("tagPhase");
    static inline const QString kTagKindKey = QStringLiteral("tagKind");
    static inline const QString kTagsAlternateKey = QStringLiteral("tagsAlternate");
    static inline const QString kMainStrokeEnabledKey = QStringLiteral("mainStrokeEnabled");
    static inline const QString kTagTaperProportionKey = QStringLiteral("tagTaperProportion");
    static inline const QString kTagTaperKindKey = QStringLiteral("tagTaperKind");
    static inline const QString kLeftTagTaperEnabledKey = QStringLiteral("leftTagTaperEnabled");
    static inline const QString kRightTagTaperEnabledKey = QStringLiteral("rightTagTaperEnabled");

    static constexpr double kMinTagWidth = 0.1;
    static constexpr double kMinTagSpacing = 0.5;

    PWXTaggedStroke();
    PWXTaggedStroke(const PWXTaggedStroke& other);
    static pf::Ref<PWXTaggedStroke> defaultTaggedStroke();

    double tagLength() const { return m_tagLength; }
    void setTagLength(double length);
    double tagAngle() const { return m_tagAngle; }
    void setTagAngle(double angle);
    double tagWidth() const;
    void setTagWidth(double width);
    double tagSpacing() const;
    void setTagSpacing(double spacing);
    double tagPhase() const { return m_tagPhase; }
    // Clamped to 0..1.
    void setTagPhase(double phase);
    double tagTaperProportion() const { return m_tagTaperProportion; }
    // Clamped to 0..0.5.
    void setTagTaperProportion(double proportion);
    pf::BezierPath::LineCap tagCapStyle() const { return m_tagCapStyle; }
    void setTagCapStyle(pf::BezierPath::LineCap cap);
    int tagKind() const { return m_tagKind; }
    void setTagKind(int kind);
    int tagTaperKind() const { return m_tagTaperKind; }
    void setTagTaperKind(int kind);
    bool tagsAlternate() const { return m_tagsAlternate; }
    void setTagsAlternate(bool alternate);
    bool mainStrokeEnabled() const { return !m_disableMainStroke; }
    void setMainStrokeEnabled(bool enabled);
    bool leftTagTaperEnabled() const { return m_enableLeftTaper; }
    void setLeftTagTaperEnabled(bool enabled);
    bool rightTagTaperEnabled() const { return m_enableRightTaper; }
    void setRightTagTaperEnabled(bool enabled);

    // Whether the tags of `kind` are stroked (0, 5, 6, 7, 10, 12) rather than filled.
    static bool isStrokedTagKind(int kind);

    pwx::TaperFunction tagTaperFunction() const;
    // Takes the spacing and phase from the stroke's dash, so that the tags sit in the middle
    // of the dashes' first segments. Nothing without a dash.
    void synchroniseTagsWithDash();
    // The tag in its own coordinates, the tag point at the origin, reaching towards -y; built
    // once per property change.
    pf::Ref<pf::BezierPath> tagElementPath() const;
    // All the tags along `path`, with the line width, cap and join they are drawn with.
    pf::Ref<pf::BezierPath> calculateTagsPathForPath(const pf::BezierPath& path) const;
    // The size factor of the tag at `distance` along a path of `length`.
    double taperFactorAtDistance(double distance, const pf::BezierPath& path, double length) const;
    void invalidateTaggedPathCache();

    // The tags path for the object.
    pf::Ref<pf::BezierPath> pathForObject(const PWRenderable& object) const override;
    void render(const PWRenderable& object) override;
    // `path` taken as a tags path (what pathForObject answers); the main stroke is drawn along
    // the object's own path only by render.
    void renderPath(const pf::BezierPath& path) override;
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    bool allowSubstitutionForHitTesting() const override { return false; }
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;
    void sendDidChange(const QString& keyPath) override;

private:
    struct Built {
        pf::Ref<pf::BezierPath> base;
        pf::Ref<pf::BezierPath> tags;
        QRectF tagBounds;
    };
    Built builtFor(const PWRenderable& object) const;
    void drawTags(const pf::BezierPath& tags, const pf::BezierPath* base);
    QRectF tagsBounds(const pf::BezierPath& tags) const;

    double m_tagLength = 5.0;
    double m_tagAngle = 0.0;
    double m_tagWidth = 1.0;
    double m_tagSpacing = 10.0;
    double m_tagPhase = 0.0;
    double m_tagTaperProportion = 0.5;
    pf::BezierPath::LineCap m_tagCapStyle;
    int m_tagKind = 0;
    int m_tagTaperKind = 0;
    bool m_tagsAlternate = false;
    bool m_disableMainStroke = false;
    bool m_enableLeftTaper = true;
    bool m_enableRightTaper = false;

    mutable std::mutex m_elementMutex;
    mutable pf::Ref<pf::BezierPath> m_cachedElement;
    PWXObjectPathCache<Built> m_built;
};
