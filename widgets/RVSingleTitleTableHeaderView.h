#pragma once

#include "platform/graphics/Gradient.h"
#include "platform/ui/TableHeaderView.h"

#include <QVariantMap>

// A table header with one title across the whole header instead of column headers, drawn over
// a tinted gradient while the window is key. Always 17 high.
class RVSingleTitleTableHeaderView : public pf::TableHeaderView {
    Q_OBJECT
    PF_CLASS(RVSingleTitleTableHeaderView)
public:
    static constexpr double kHeaderHeight = 17.0;
    static constexpr double kTitleInset = 20.0;

    explicit RVSingleTitleTableHeaderView(QWidget* parent = nullptr);
    explicit RVSingleTitleTableHeaderView(const QRectF& frame, QWidget* parent = nullptr);

    static pf::Color titleColour();
    static const pf::Gradient& titleBarGradient();
    static const QVariantMap& titleAttributes();
    static const QVariantMap& inactiveTitleAttributes();
    static double titleBarHeight() { return 16.0; }

    QString title() const { return mTitle; }
    void setTitle(const QString& title);
    bool drawsColumnDividers() const { return mDrawColumnDividers; }
    void setDrawsColumnDividers(bool draws);

    // Keeps the width asked for; the height stays 17.
    void setFrameSize(QSizeF size) override;

    QRectF titleBarRect() const { return bounds(); }
    // Where the title goes and in which attributes, with the window key or not.
    struct TitleLayout {
        QRectF rect;
        QVariantMap attributes;
        bool leftAligned = false;
    };
    TitleLayout titleLayout(bool windowIsKey) const;
    // The x of each divider: the right edge of every column but the last.
    QList<double> columnDividerPositions() const;

    void drawRect(const QRectF& dirtyRect) override;
    void drawTitleBar();
    void drawColumnDividers();

private:
    bool windowIsKey() const;

    QString mTitle;
    bool mDrawColumnDividers = false;
};
