#pragma once

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

class QLabel;

// A small read-out shown next to the mouse: one number in a format such as "0.0°", "0.0" or
// "0.0%", or a plain string. It is a child widget of the view it is positioned in, so it
// moves and goes with that view.
class RVInfoFloater : public QWidget {
    Q_OBJECT
public:
    // The default distance from the point the floater is placed near (right and below).
    static constexpr double kDefaultOffset = 12.0;

    // The shared floater (made again when the view holding it was destroyed).
    static RVInfoFloater* infoFloater();
    // Hides the shared floater when it has been made (without making one).
    static void hideInfoFloater();

    explicit RVInfoFloater(QWidget* parent = nullptr);
    ~RVInfoFloater() override;

    // The number format: a pattern of digits ("0", "#", with an optional ".0..." for decimals)
    // with literal text around it. An empty or digitless format shows the plain number.
    QString format() const { return m_format; }
    void setFormat(const QString& format);
    void setFloatValue(float value);
    float floatValue() const { return m_value; }
    void setStringValue(const QString& text);
    // The text shown.
    QString text() const;

    // Distance from the point (positive: right and down).
    QSizeF windowOffset() const { return m_offset; }
    void setWindowOffset(const QSizeF& offset) { m_offset = offset; }
    // Places the floater near `point` (in `view`'s widget coordinates), inside the view.
    void positionNearPoint(const QPointF& point, QWidget* view);
    QRectF frame() const { return QRectF(geometry()); }

    // Formats `value` with a pattern as setFormat takes it.
    static QString formatValue(const QString& format, double value);

public slots:
    void show();
    void hide();

private:
    void updateText(const QString& text);

    QLabel* m_label = nullptr;
    QString m_format;
    float m_value = 0.0f;
    QSizeF m_offset{kDefaultOffset, kDefaultOffset};
};
