#pragma once

#include "platform/foundation/Object.h"

#include <QPointer>
#include <QUrl>
#include <QVariantMap>

class QDialog;
class QPlainTextEdit;
class QWidget;
class RVViewSourceController;

// Whom the source viewer asks which file to show.
class RVViewSourceControllerDelegate {
public:
    virtual ~RVViewSourceControllerDelegate() = default;
    virtual QUrl urlForViewSourceController(RVViewSourceController& controller) = 0;
};

// A sheet that shows a text file (an SVG file's source) in a fixed-width font without wrapping
// long lines. Files that are not UTF-8 text, or larger than 64 MiB, are not shown: the text
// stays as it was and the reason is logged.
class RVViewSourceController : public pf::Object {
    PF_CLASS(RVViewSourceController)
public:
    static constexpr qint64 kMaximumFileBytes = qint64(64) * 1024 * 1024;

    RVViewSourceController();
    ~RVViewSourceController() override;

    // The font and tab settings of the shown text.
    static const QVariantMap& sourceFormattingAttributes();

    QDialog* window();
    QPlainTextEdit* textView();
    void beginSheetModalForWindow(QWidget* window, RVViewSourceControllerDelegate* delegate);
    QUrl loadTextURL();
    // False (logged) when the file cannot be read as text; the text is then left as it was.
    bool loadTextWithContentsOfURL(const QUrl& url);
    void closeAction(const QVariant& sender);

private:
    void makeWindow();

    RVViewSourceControllerDelegate* m_delegate = nullptr;
    QPointer<QDialog> m_window;
    QPointer<QPlainTextEdit> m_textView;
};
