#pragma once

#include "browsers/RVImagePath.h"
#include "platform/foundation/IndexSet.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QPointer>

namespace pf {
class Pasteboard;
}
class RVImageBrowserView;

// What the grid asks of and tells its owner.
class RVImageBrowserDataSource {
public:
    virtual ~RVImageBrowserDataSource() = default;
    virtual int numberOfItemsInImageBrowser(RVImageBrowserView& view) = 0;
    virtual pf::Ref<RVImagePath> imageBrowserItemAtIndex(RVImageBrowserView& view, int index) = 0;
    // Writes the items being dragged; answers how many were written (0 refuses the drag).
    virtual int imageBrowserWriteItemsAtIndexes(RVImageBrowserView&, const pf::IndexSet&, pf::Pasteboard&) { return 0; }
    virtual void imageBrowserCellWasDoubleClickedAtIndex(RVImageBrowserView&, int) {}
    virtual void imageBrowserSelectionDidChange(RVImageBrowserView&) {}
    // The space bar: the grid asks for the quick look at the selection to open or close.
    virtual void imageBrowserToggleQuickLook(RVImageBrowserView&) {}
    // The menu for a right click on the item at `index` (-1: on no item); null for none.
    virtual QMenu* imageBrowserMenuForIndex(RVImageBrowserView&, int) { return nullptr; }
};

// A grid of image thumbnails with titles and subtitles. Cells are laid out from the item
// count alone, so a folder of thousands of images lists at once; a thumbnail is asked for only
// when its cell is painted, and the ones made from paths are kept by path, so they survive
// reloads. Items are dragged out as file URLs.
class RVImageBrowserView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr double kMinimumCellSide = 48.0;
    static constexpr double kMaximumCellSide = 256.0;

    explicit RVImageBrowserView(QWidget* parent = nullptr);

    RVImageBrowserDataSource* dataSource() const { return m_dataSource; }
    void setDataSource(RVImageBrowserDataSource* dataSource) { m_dataSource = dataSource; }

    // 0 (smallest cells) to 1 (largest).
    double zoomValue() const { return m_zoom; }
    void setZoomValue(double zoom);
    void reloadData();

    int numberOfItems() const { return m_count; }
    pf::IndexSet selectionIndexes() const { return m_selection; }
    void setSelectionIndexes(const pf::IndexSet& indexes, bool extend = false);
    void scrollIndexToVisible(int index);

    // In the grid's own coordinates (those of the whole content, not only what shows).
    QRect itemFrameAtIndex(int index) const;
    QRect visibleRect() const;
    int indexAtPoint(const QPoint& contentPoint) const;
    // Redraws the cell of `index` when it shows.
    void redrawItemAtIndex(int index);
    // How many thumbnails the grid has made from paths (for measuring).
    int thumbnailsMade() const { return m_thumbnailsMade; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QSize cellSize() const;
    int columns() const;
    void updateScrollBars();
    QImage thumbnailFor(RVImagePath& item);
    void startDrag();

    RVImageBrowserDataSource* m_dataSource = nullptr;
    double m_zoom = 0.4;
    int m_count = 0;
    pf::IndexSet m_selection;
    QHash<QString, QImage> m_pathThumbnails;
    QPoint m_pressPoint;
    int m_pressIndex = -1;
    int m_thumbnailsMade = 0;
};
