#include "browsers/RVPreviewPanel.h"

#include "platform/graphics/Image.h"

#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QPointer<RVPreviewPanel>& shared()
{
    static QPointer<RVPreviewPanel> panel;
    return panel;
}

} // namespace

RVPreviewPanel* RVPreviewPanel::sharedPreviewPanel()
{
    if (!shared())
        shared() = new RVPreviewPanel;
    return shared();
}

bool RVPreviewPanel::sharedPreviewPanelExists()
{
    return shared() != nullptr;
}

RVPreviewPanel::RVPreviewPanel(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(520, 440);
    auto* layout = new QVBoxLayout(this);
    m_picture = new QLabel(this);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumSize(64, 64);
    layout->addWidget(m_picture);
}

void RVPreviewPanel::setPreviewItemURL(const QUrl& url, const QString& title)
{
    m_url = url;
    m_image = QImage();
    if (url.isLocalFile()) {
        pf::Ref<pf::Image> image = pf::Image::fromFile(url.toLocalFile());
        if (image && image->isValid()) {
            QSizeF size = image->size();
            size.scale(QSizeF(2048, 2048).boundedTo(size.expandedTo(QSizeF(1, 1))), Qt::KeepAspectRatio);
            m_image = image->bitmap(size.toSize().expandedTo(QSize(1, 1)));
        }
    }
    setWindowTitle(title.isEmpty() ? QFileInfo(url.toLocalFile()).fileName() : title);
    updatePicture();
}

void RVPreviewPanel::makeKeyAndOrderFront()
{
    show();
    raise();
    activateWindow();
}

void RVPreviewPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updatePicture();
}

void RVPreviewPanel::updatePicture()
{
    if (!m_picture)
        return;
    if (m_image.isNull()) {
        m_picture->setPixmap(QPixmap());
        m_picture->setText(m_url.isEmpty() ? tr("No Selection") : QFileInfo(m_url.toLocalFile()).fileName());
        return;
    }
    QSize fitted = m_image.size();
    if (fitted.width() > m_picture->width() || fitted.height() > m_picture->height())
        fitted.scale(m_picture->size(), Qt::KeepAspectRatio);
    m_picture->setPixmap(QPixmap::fromImage(m_image.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
