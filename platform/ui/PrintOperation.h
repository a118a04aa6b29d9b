#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintPanel.h"

#include <QList>
#include <QPointer>
#include <QRectF>

#include <functional>

class QPainter;
class QPrinter;
class QWidget;

namespace pf {

inline const QString kPFPrintErrorDomain = QStringLiteral("pf.print");
enum PrintErrorCode : int { kPrintErrorNoPages = 1, kPrintErrorTooManyPages = 2, kPrintErrorOutput = 3 };

// Prints a view: splits it into pages of the print info's imageable size (scaled, fitted or
// clipped as the pagination modes say, with the view's adjustPageHeight), draws each page
// through a graphics context that does not draw to the screen, then the view's page border.
// pf::View trees are drawn through their drawRect; other widgets through Qt's rendering.
class PrintOperation : public Object {
    PF_CLASS(PrintOperation)
public:
    // The page count beyond which a job is refused rather than printed.
    static constexpr int kMaximumPageCount = 10000;

    PrintOperation();
    ~PrintOperation() override;

    // With no print info, a copy of the shared one.
    static Ref<PrintOperation> printOperationWithView(QWidget* view, const Ref<PrintInfo>& info = nullptr);
    // The operation that is printing now, or null.
    static PrintOperation* currentOperation();

    QWidget* view() const { return m_view; }
    Ref<PrintInfo> printInfo() const { return m_printInfo; }
    void setPrintInfo(const Ref<PrintInfo>& info);

    bool showsPrintPanel() const { return m_showsPrintPanel; }
    void setShowsPrintPanel(bool shows) { m_showsPrintPanel = shows; }
    PrintPanel& printPanel() { return m_printPanel; }

    // Prints into a PDF file at `path` (written whole or not at all) instead of a printer.
    QString outputFileName() const { return m_outputFileName; }
    void setOutputFileName(const QString& path) { m_outputFileName = path; }

    // The parts of the view each page shows, in the view's Qt coordinates (y down from its top),
    // and the scale they print at. Empty with an error when the view cannot be paginated.
    QList<QRectF> pageRects(Error* error = nullptr) const;
    double printScale() const;

    // Shows the print panel (when asked) and prints. Answers false when the user cancelled
    // or printing failed; error() then says which.
    bool runOperation();
    // The print panel as a sheet on `window`; afterwards
    // delegate->perform(didRunSelector, {operation, success, contextInfo}).
    void runOperationModalForWindow(QWidget* window, Reflective* delegate, const QString& didRunSelector,
                                    const QVariant& contextInfo);
    void runOperationModalForWindow(QWidget* window, std::function<void(bool success)> completion);

    const Error& error() const { return m_error; }

private:
    bool print(QPrinter& printer);
    bool printAfterPanel(QPrinter& printer);
    void drawPage(QPainter& painter, const QRectF& pageRect, double scale, const QSizeF& paper, const QRectF& imageable);
    void drawWidget(QPainter& painter, QWidget* widget, const QRectF& rect);
    bool printToFile();
    void configure(QPrinter& printer) const;

    QPointer<QWidget> m_view;
    Ref<PrintInfo> m_printInfo;
    PrintPanel m_printPanel;
    QString m_outputFileName;
    bool m_showsPrintPanel = true;
    bool m_running = false;
    Error m_error;
};

} // namespace pf
