#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QRectF>

#include <memory>

class QTimer;
namespace pf {
class Toolbar;
}

class VNQLDocumentWindow;

// What a document window tells its delegate (the document); every message is optional.
class VNQLDocumentWindowDelegate {
public:
    virtual ~VNQLDocumentWindowDelegate() = default;
    virtual void windowDidBecomeMain(VNQLDocumentWindow& window) {}
    virtual void windowWillClose(VNQLDocumentWindow& window) {}
    virtual void windowWillEnterFullScreen(VNQLDocumentWindow& window) {}
    virtual void windowWillExitFullScreen(VNQLDocumentWindow& window) {}
    // The frame zooming gives the window (screen coordinates of Qt, y down).
    virtual QRectF windowWillUseStandardFrame(VNQLDocumentWindow& window, const QRectF& defaultFrame) { return defaultFrame; }
    virtual bool windowShouldZoom(VNQLDocumentWindow& window, const QRectF& frame) { return true; }
};

// The main window of a document: the program's menu bar, a toolbar and the document's
// content. Tells its delegate when it becomes the active window, goes to or leaves full
// screen, zooms and closes, and validates its toolbar items while it is shown.
class VNQLDocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit VNQLDocumentWindow(QWidget* parent = nullptr);
    ~VNQLDocumentWindow() override;

    VNQLDocumentWindowDelegate* delegate() const { return m_delegate; }
    // Not owned; cleared by the delegate when it goes.
    void setDelegate(VNQLDocumentWindowDelegate* delegate) { m_delegate = delegate; }

    pf::Toolbar* toolbar() const { return m_toolbar.get(); }
    // Shows the toolbar's bar at the top of the window.
    void setToolbar(const std::shared_ptr<pf::Toolbar>& toolbar);
    bool toolbarVisible() const;
    // The height the toolbar takes from the frame (0 when hidden or absent).
    double toolbarHeight() const;

    bool isInFullScreen() const { return isFullScreen(); }
    void toggleFullScreen();
    // Toggles between the delegate's standard frame and the frame the user gave the window.
    void zoom();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    VNQLDocumentWindowDelegate* m_delegate = nullptr;
    std::shared_ptr<pf::Toolbar> m_toolbar;
    QTimer* m_validationTimer = nullptr;
    QRectF m_userFrame;
    bool m_closing = false;
};
