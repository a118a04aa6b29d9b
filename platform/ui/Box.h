#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

namespace pf {

enum class BoxType { Primary = 0, Secondary = 1, Separator = 2, Custom = 4 };
enum class BorderType { None = 0, Line = 1, Bezel = 2, Groove = 3 };
enum class TitlePosition { NoTitle = 0, AboveTop = 1, AtTop = 2, BelowTop = 3, AboveBottom = 4, AtBottom = 5, BelowBottom = 6 };

// A titled, bordered container: its content view fills the box inside the border, the title
// and the margins, and follows the box's size. Custom boxes draw their fill colour, border
// colour and corner radius; separators draw one line.
class Box : public View {
    Q_OBJECT
    PF_CLASS(Box)
public:
    explicit Box(QWidget* parent = nullptr);
    Box(const QRectF& frame, QWidget* parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString& title);
    TitlePosition titlePosition() const { return m_titlePosition; }
    void setTitlePosition(TitlePosition position);
    BoxType boxType() const { return m_boxType; }
    void setBoxType(BoxType type);
    BorderType borderType() const { return m_borderType; }
    void setBorderType(BorderType type);
    Color borderColor() const { return m_borderColor; }
    void setBorderColor(const Color& colour) { m_borderColor = colour; setNeedsDisplay(true); }
    Color fillColor() const { return m_fillColor; }
    void setFillColor(const Color& colour) { m_fillColor = colour; setNeedsDisplay(true); }
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius) { m_cornerRadius = radius; setNeedsDisplay(true); }
    QSizeF contentViewMargins() const { return m_margins; }
    void setContentViewMargins(QSizeF margins);

    View* contentView() const { return m_contentView; }
    // The box takes `view` as a subview sized to the content rectangle; the previous content
    // view is removed from the box.
    void setContentView(View* view);
    // Where the content view goes, in the box's bounds.
    QRectF contentRect() const;
    // The title's rectangle in the box's bounds; empty without a title.
    QRectF titleRect() const;

    void setFrameSize(QSizeF size) override;
    void drawRect(const QRectF& dirtyRect) override;
    bool isFlipped() const override { return false; }

private:
    double titleHeight() const;
    double borderWidth() const;
    QRectF borderRect() const;
    void layoutContent();

    QString m_title;
    TitlePosition m_titlePosition = TitlePosition::AtTop;
    BoxType m_boxType = BoxType::Primary;
    BorderType m_borderType = BorderType::Groove;
    Color m_borderColor;
    Color m_fillColor;
    double m_cornerRadius = 0;
    QSizeF m_margins{5, 5};
    QPointer<View> m_contentView;
};

} // namespace pf
