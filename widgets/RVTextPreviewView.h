#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/ui/View.h"

#include <QVariantMap>

#include <optional>

// A line of styled text (a font preview) centred in the view at the largest size between a
// minimum and a maximum at which it still fits. Without a string it shows its placeholder
// at 18 points.
class RVTextPreviewView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVTextPreviewView)
public:
    static constexpr double kPlaceholderFontSize = 18.0;
    // The margins inside which a fitting size counts as filling the view.
    static constexpr double kHorizontalMargin = 10.0;
    static constexpr double kVerticalMargin = 8.0;
    // Far more than the halving search needs to settle within a float's precision.
    static constexpr int kMaxFittingSteps = 64;

    explicit RVTextPreviewView(QWidget* parent = nullptr);
    explicit RVTextPreviewView(const QRectF& frame, QWidget* parent = nullptr);

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }

    // No string when either is missing.
    void setWithString(const QString& string, const QVariantMap& attributes);
    std::optional<pf::AttributedString> string() const { return _string; }
    void setString(const std::optional<pf::AttributedString>& string);
    std::optional<pf::AttributedString> placeholderString() const { return m_placeholder; }
    void setPlaceholderString(const std::optional<pf::AttributedString>& placeholder);
    double minimumFontSize() const { return m_minimumFontSize; }
    void setMinimumFontSize(double size);
    double maximumFontSize() const { return m_maximumFontSize; }
    void setMaximumFontSize(double size);
    // Kept for the owner; the drawing does not consult it.
    bool sizeToFit() const { return m_sizeToFit; }
    void setSizeToFit(bool fit) { m_sizeToFit = fit; }
    bool isBordered() const { return m_bordered; }
    void setBordered(bool bordered);

    // The string as it is drawn: its characters in the first character's attributes, centred,
    // cut at the tail, at `fontSize`.
    static pf::AttributedString previewString(const pf::AttributedString& string, double fontSize);
    // The size the string is drawn at in `rect`. Raises when the maximum is below the minimum.
    static double fittedFontSize(const pf::AttributedString& string, const QRectF& rect, double minSize, double maxSize);
    // Draws the fitted string; nothing for an empty string.
    void drawString(const pf::AttributedString& string, const QRectF& rect, double minSize, double maxSize);
    void drawRect(const QRectF& dirtyRect) override;

private:
    std::optional<pf::AttributedString> _string;
    std::optional<pf::AttributedString> m_placeholder;
    double m_minimumFontSize = 10.0;
    double m_maximumFontSize = 48.0;
    bool m_sizeToFit = true;
    bool m_bordered = false;
};
