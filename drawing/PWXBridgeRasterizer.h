#pragma once

#include "drawing/PWXObjectPathCache.h"

#include "frameworks/penwork/styles/PWStroke.h"

// The map symbol of a bridge: a white deck across the road and two casing lines, one each
// side, bent outwards at each pier and flared outwards at both ends. With automatic sizing the
// sizes follow the widest stroke of the object drawn.
//
// Key-value coding (each observable through the renderer change protocol, with undo), besides
// the stroke's: "bridgeWidth", "pierSize", "pierSpacing", "sizesAutomatically". The first
// three and "width" read the sizes in use, and change with "sizesAutomatically".
class PWXBridgeRasterizer : public PWStroke {
    PF_CLASS(PWXBridgeRasterizer)
public:
    static inline const QString kBridgeWidthKey = QStringLiteral("bridgeWidth");
    static inline const QString kPierSizeKey = QStringLiteral("pierSize");
    static inline const QString kPierSpacingKey = QStringLiteral("pierSpacing");
    static inline const QString kSizesAutomaticallyKey = QStringLiteral("sizesAutomatically");

    // What an object that does not say how wide its widest stroke is counts as.
    static constexpr double kDefaultClientStrokeWidth = 10.0;
    // However long the path, it is split into at most this many spans.
    static constexpr int kMaxSpans = 10000;

    // The sizes a bridge is drawn with.
    struct Sizes {
        double bridgeWidth;
        double pierSize;
        double pierSpacing;
        double lineWidth;
    };

    // Casing 2 wide, round caps and joins, dark grey; bridge 16 wide, piers 4 every 30 at least.
    PWXBridgeRasterizer();
    PWXBridgeRasterizer(const PWXBridgeRasterizer& other) = default;

    // The sizes in use: derived from the client's widest stroke with automatic sizing, else
    // the stored ones (width and spacing at least 1).
    double bridgeWidth() const { return sizes().bridgeWidth; }
    void setBridgeWidth(double width);
    double pierSize() const { return sizes().pierSize; }
    void setPierSize(double size);
    double pierSpacing() const { return sizes().pierSpacing; }
    void setPierSpacing(double spacing);
    bool sizesAutomatically() const { return m_autoSizing; }
    void setSizesAutomatically(bool automatic);
    // The casing line width.
    double width() const override { return sizes().lineWidth; }

    // The values the user set, whatever automatic sizing derives.
    double storedBridgeWidth() const { return m_bridgeWidth; }
    double storedPierSize() const { return m_pierSize; }
    double storedPierSpacing() const { return m_pierSpacing; }

    // The widest stroke of the object drawn last; automatic sizing reads it.
    double clientMaxStrokeWidth() const { return m_clientMaxStrokeWidth; }
    void setClientMaxStrokeWidth(double width) { m_clientMaxStrokeWidth = width; }

    Sizes sizes() const { return sizesForClientWidth(m_clientMaxStrokeWidth); }
    Sizes sizesForClientWidth(double clientWidth) const;
    // The object's widest stroke when it tells (clientWidestStrokeWidthInRange), else 10.
    static double clientWidestStrokeWidth(const PWRenderable& object);
    // The object's casement colour when it tells (clientCasementColour), else an invalid one.
    static pf::Color casementColour(const PWRenderable& object);

    // One flared casing line of one span, `offset` to the left of the span's direction.
    pf::Ref<pf::BezierPath> bridgeElementFromPath(const pf::BezierPath& piece, double offset) const;
    pf::Ref<pf::BezierPath> bridgeElementFromPath(const pf::BezierPath& piece, double offset, const Sizes& sizes) const;
    // Both casing lines over all spans: the left side, then the right.
    pf::Ref<pf::BezierPath> bridgePathFromPath(const pf::BezierPath& path) const;
    pf::Ref<pf::BezierPath> bridgePathFromPath(const pf::BezierPath& path, const Sizes& sizes) const;
    void renderBridgePath(const pf::BezierPath& path, const PWRenderable* object);

    void render(const PWRenderable& object) override;
    void renderPath(const pf::BezierPath& path) override;
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
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
        pf::Ref<pf::BezierPath> deck;
        pf::Ref<pf::BezierPath> casings;
    };
    Built build(const pf::BezierPath& path, const Sizes& sizes) const;
    void draw(const Built& built, const Sizes& sizes);

    double m_pierSpacing = 30.0;
    double m_pierSize = 4.0;
    double m_bridgeWidth = 16.0;
    bool m_autoSizing = false;
    double m_clientMaxStrokeWidth = 0.0;

    PWXObjectPathCache<Built> m_built;
};
