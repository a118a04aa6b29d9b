#include "browsers/RVViewSourceController.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

PF_DEFINE_CLASS(RVViewSourceController, pf::Object)
{
    b.method("closeAction:", &RVViewSourceController::closeAction);
}

RVViewSourceController::RVViewSourceController() = default;

RVViewSourceController::~RVViewSourceController()
{
    delete m_window;
}

const QVariantMap& RVViewSourceController::sourceFormattingAttributes()
{
    static const QVariantMap attributes = [] {
        QFont font(QStringLiteral("Monaco"), 12);
        font.setStyleHint(QFont::Monospace);
        if (!QFontInfo(font).fixedPitch())
            font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSizeF(12.0);
        return QVariantMap{{QStringLiteral("font"), font}};
    }();
    return attributes;
}

void RVViewSourceController::makeWindow()
{
    m_window = new QDialog;
    m_window->setWindowTitle(QObject::tr("Source"));
    m_window->resize(720, 520);
    auto* layout = new QVBoxLayout(m_window);
    m_textView = new QPlainTextEdit(m_window);
    m_textView->setReadOnly(true);
    // Long lines run on rather than wrap.
    m_textView->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_textView->document()->setDocumentMargin(16);
    m_textView->setFont(sourceFormattingAttributes().value(QStringLiteral("font")).value<QFont>());
    layout->addWidget(m_textView, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, m_window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, m_window, [this] { closeAction({}); });
    layout->addWidget(buttons);
}

QDialog* RVViewSourceController::window()
{
    if (!m_window)
        makeWindow();
    return m_window;
}

QPlainTextEdit* RVViewSourceController::textView()
{
    window();
    return m_textView;
}

void RVViewSourceController::beginSheetModalForWindow(QWidget* parentWindow, RVViewSourceControllerDelegate* delegate)
{
    m_delegate = delegate;
    QDialog* sheet = window();
    loadTextWithContentsOfURL(loadTextURL());
    if (parentWindow) {
        sheet->setParent(parentWindow->window(), Qt::Sheet | Qt::Dialog);
        sheet->setWindowModality(Qt::WindowModal);
    }
    sheet->open();
}

QUrl RVViewSourceController::loadTextURL()
{
    return m_delegate ? m_delegate->urlForViewSourceController(*this) : QUrl();
}

bool RVViewSourceController::loadTextWithContentsOfURL(const QUrl& url)
{
    QPlainTextEdit* text = textView();
    bool loaded = true;
    if (url.isEmpty()) {
        text->clear();
    } else {
        QString failure;
        QFile file(url.toLocalFile());
        QString contents;
        if (!file.open(QIODevice::ReadOnly)) {
            failure = file.errorString();
        } else if (file.size() > kMaximumFileBytes) {
            failure = QStringLiteral("the file is larger than %1 bytes").arg(kMaximumFileBytes);
        } else {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            contents = decoder(file.readAll());
            if (decoder.hasError())
                failure = QStringLiteral("the file is not UTF-8 text");
        }
        if (failure.isEmpty()) {
            text->setPlainText(contents);
        } else {
            RVLog(kFileEvent, QStringLiteral("url could not be loaded, error = %1 (%2)").arg(failure, url.toString()));
            loaded = false;
        }
    }
    text->moveCursor(QTextCursor::Start);
    text->ensureCursorVisible();
    return loaded;
}

void RVViewSourceController::closeAction(const QVariant&)
{
    if (m_window) {
        m_window->done(1);
        m_window->hide();
    }
}
