#pragma once

#include "frameworks/penwork/drawables/PWDrawablePath.h"

#include <QVariantMap>

class PWRasterizer;

// Text set along a path: the path is drawn with the style, and the text follows it from its
// start, each character upright on the path where it falls. Only the layout modes that follow a
// path (1 and 2) apply to it.
class PWTextPath : public PWDrawablePath {
    PF_CLASS(PWTextPath)
public:
    static constexpr int kLayoutAlongPath = 1;
    static constexpr int kLayoutAlongPathCentred = 2;

    PWTextPath();
    PWTextPath(const PWTextPath& other);

    static pf::Ref<PWTextPath> textPathWithPath(const pf::BezierPath& path, const QString& text,
                                                pf::Ref<PWStyle> style = nullptr);

    // False refuses styles that draw anything but text.
    static bool allowsGraphicStyle();
    static void setAllowsGraphicStyle(bool allows);
    static bool acceptsLayoutMode(int mode) { return mode == kLayoutAlongPath || mode == kLayoutAlongPathCentred; }

    QString text() const { return m_text; }
    void setText(const QString& text);
    QVariantMap textAttributes() const { return m_attributes; }
    void setTextAttributes(const QVariantMap& attributes);
    bool clipsToPath() const { return m_clipsToPath; }
    void setClipsToPath(bool clips);
    // kLayoutAlongPath (from the start) or kLayoutAlongPathCentred (centred on the path's
    // length); other values are ignored.
    int layoutMode() const { return m_layoutMode; }
    void setLayoutMode(int mode);

    pf::Ref<PWRasterizer> textAdornment() const;

    void setStyle(pf::Ref<PWStyle> style) override;
    bool validateStyle(QVariant* value, pf::Error* error) override;

    void drawContentWithStyle(PWStyle* style) override;
    QStringList searchableStrings() const override;
    QString displayName() const override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    void drawText();
    void changeText(const QString& key, const QString& setter, const QVariant& oldValue,
                    const std::function<void()>& change);

    QString m_text;
    QVariantMap m_attributes;
    bool m_clipsToPath = false;
    int m_layoutMode = kLayoutAlongPath;
};
