#pragma once

#include "platform/foundation/Object.h"

#include <QImage>
#include <QList>
#include <QUrl>
#include <QWidget>

#include <functional>

namespace pf {

// One component of a path control: its title (the decoded path component), an optional
// image drawn before it, and the URL of the path up to and including it.
class PathComponentCell : public Object {
    PF_CLASS(PathComponentCell)
public:
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    QImage image() const { return m_image; }
    void setImage(const QImage& image) { m_image = image; }
    QUrl URL() const { return m_url; }
    void setURL(const QUrl& url) { m_url = url; }

private:
    QString m_title;
    QImage m_image;
    QUrl m_url;
};

// A bar showing a path as a row of components, each with its icon, separated by chevrons;
// the value is a URL whose path components (percent-decoded) become the cells. Components
// that do not fit are squeezed from the front, the last one stays whole. Clicking a
// component reports it.
class PathControl : public QWidget {
public:
    static constexpr int kIconSize = 16;

    explicit PathControl(QWidget* parent = nullptr);

    QUrl URL() const { return m_url; }
    // Rebuilds the cells from the URL's path; an empty URL leaves no cells.
    void setURL(const QUrl& url);
    // The value as a string (the URL's encoded form).
    QString stringValue() const { return QString::fromUtf8(m_url.toEncoded()); }
    void setStringValue(const QString& value) { setURL(QUrl::fromEncoded(value.toUtf8())); }

    const QList<Ref<PathComponentCell>>& pathComponentCells() const { return m_cells; }
    PathComponentCell* clickedPathComponentCell() const { return m_clicked; }
    // Told when a component is clicked.
    std::function<void(PathComponentCell*)> action;

    // The rectangle of each cell, in widget coordinates (for drawing, hit testing and tests).
    QList<QRect> cellRects() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QUrl m_url;
    QList<Ref<PathComponentCell>> m_cells;
    PathComponentCell* m_clicked = nullptr;
};

} // namespace pf
