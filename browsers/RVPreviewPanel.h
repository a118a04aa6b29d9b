#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>

class QLabel;

// A plain floating window that shows one file's picture at a readable size: the quick look at
// the media browser's selected image.
class RVPreviewPanel : public QWidget {
    Q_OBJECT
public:
    static RVPreviewPanel* sharedPreviewPanel();
    static bool sharedPreviewPanelExists();

    explicit RVPreviewPanel(QWidget* parent = nullptr);

    QUrl previewItemURL() const { return m_url; }
    // Shows the file (nothing for an empty URL); a file that is not a picture shows its name.
    void setPreviewItemURL(const QUrl& url, const QString& title = {});
    void makeKeyAndOrderFront();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updatePicture();

    QUrl m_url;
    QImage m_image;
    QLabel* m_picture = nullptr;
};
