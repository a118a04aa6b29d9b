#include "app/VNQLDocumentWindow.h"

#include "platform/ui/Toolbar.h"
#include "platform/ui/Window.h"

#include <QCloseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

namespace {
constexpr int kValidationIntervalMs = 500;
}

VNQLDocumentWindow::VNQLDocumentWindow(QWidget* parent) : QMainWindow(parent)
{
    setUnifiedTitleAndToolBarOnMac(true);
    m_validationTimer = new QTimer(this);
    m_validationTimer->setInterval(kValidationIntervalMs);
    connect(m_validationTimer, &QTimer::timeout, this, [this] {
        if (m_toolbar && isVisible())
            m_toolbar->validateVisibleItems();
    });
}

VNQLDocumentWindow::~VNQLDocumentWindow()
{
    // The bar belongs to the toolbar object, which may outlive this window.
    if (m_toolbar) {
        removeToolBar(m_toolbar->qToolBar());
        m_toolbar->qToolBar()->setParent(nullptr);
    }
}

void VNQLDocumentWindow::setToolbar(const std::shared_ptr<pf::Toolbar>& toolbar)
{
    if (m_toolbar) {
        removeToolBar(m_toolbar->qToolBar());
        m_toolbar->qToolBar()->setParent(nullptr);
    }
    m_toolbar = toolbar;
    if (!m_toolbar) {
        m_validationTimer->stop();
        return;
    }
    QToolBar* bar = m_toolbar->qToolBar();
    addToolBar(Qt::TopToolBarArea, bar);
    bar->setVisible(m_toolbar->isVisible());
    m_validationTimer->start();
}

bool VNQLDocumentWindow::toolbarVisible() const
{
    return m_toolbar && m_toolbar->isVisible();
}

double VNQLDocumentWindow::toolbarHeight() const
{
    if (!toolbarVisible())
        return 0;
    QToolBar* bar = m_toolbar->qToolBar();
    return bar->isVisible() ? bar->height() : bar->sizeHint().height();
}

void VNQLDocumentWindow::toggleFullScreen()
{
    if (isFullScreen()) {
        if (m_delegate)
            m_delegate->windowWillExitFullScreen(*this);
        showNormal();
    } else {
        if (m_delegate)
            m_delegate->windowWillEnterFullScreen(*this);
        showFullScreen();
    }
}

void VNQLDocumentWindow::zoom()
{
    const QScreen* onScreen = screen();
    const QRectF available = onScreen ? QRectF(onScreen->availableGeometry()) : QRectF(geometry());
    const QRectF standard = m_delegate ? m_delegate->windowWillUseStandardFrame(*this, available) : available;
    const QRectF current = frameGeometry();
    const bool zoomed = current.toRect() == standard.toRect();
    const QRectF target = zoomed && !m_userFrame.isNull() ? m_userFrame : standard;
    if (m_delegate && !m_delegate->windowShouldZoom(*this, target))
        return;
    if (!zoomed)
        m_userFrame = current;
    setGeometry(target.toRect().adjusted(0, 0, int(geometry().width() - current.width()),
                                         int(geometry().height() - current.height())));
}

void VNQLDocumentWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (m_toolbar)
            m_toolbar->validateVisibleItems();
        if (m_delegate)
            m_delegate->windowDidBecomeMain(*this);
    }
}

void VNQLDocumentWindow::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (!event->isAccepted() || m_closing)
        return;
    m_closing = true;
    m_validationTimer->stop();
    if (m_delegate)
        m_delegate->windowWillClose(*this);
}
