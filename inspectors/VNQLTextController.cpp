#include "inspectors/VNQLTextController.h"

#include "app/VNQLHelpTrampoline.h"
#include "inspectors/VNQLFontManagerTrampoline.h"
#include "inspectors/VNQLPaneControls.h"
#include "inspectors/VNQL_PWTextShapeController.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

PF_DEFINE_CLASS(VNQLTextController, VNQLTabContentViewController)
{
    b.method("textControllerHelpAction:", &VNQLTextController::textControllerHelpAction);
    b.method("setDrawing:", std::function<QVariant(VNQLTextController&, const QVariantList&)>(
                                [](VNQLTextController& controller, const QVariantList& args) {
                                    controller.setDrawing(pf::objectCast<PWDrawing>(args.value(0)));
                                    return QVariant();
                                }));
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLTextController", text);
}

// The tab's icon: a serif letter T.
QImage textIcon()
{
    constexpr int kSide = 20;
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(90, 90, 90));
    QFont font(QStringLiteral("Serif"));
    font.setPixelSize(17);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, kSide, kSide), Qt::AlignCenter, QStringLiteral("T"));
    return image;
}

} // namespace

VNQLTextController::VNQLTextController(const QString& nibName)
    : VNQLTabContentViewController(nibName.isEmpty() ? kTabIdentifier : nibName),
      mTextShapeController(std::make_shared<VNQL_PWTextShapeController>())
{
    setTitle(tr("Text"));
    setTabIcon(textIcon());
    setTabTooltip(tr("Text"));
}

VNQLTextController::~VNQLTextController()
{
    auto& centre = pf::NotificationCenter::defaultCenter();
    for (quint64 token : std::as_const(m_editingObservations) + m_drawingObservations)
        centre.removeObserver(token);
    if (mTextShapeController)
        mTextShapeController->setDataSource(nullptr);
}

void VNQLTextController::loadView()
{
    if (!m_trampoline) {
        VNQLFontManagerTrampoline* shared = VNQLFontManagerTrampoline::sharedFontManagerTrampoline();
        m_trampoline = shared->ref<VNQLFontManagerTrampoline>();
    }
    if (m_editingObservations.isEmpty()) {
        auto& centre = pf::NotificationCenter::defaultCenter();
        pf::Weak<VNQLTextController> weak = ref<VNQLTextController>();
        auto forward = [weak](void (VNQLTextController::*handler)(const pf::Notification&)) {
            return [weak, handler](const pf::Notification& notification) {
                if (auto self = weak.lock())
                    (self.get()->*handler)(notification);
            };
        };
        m_editingObservations.append(
            centre.addObserver(kPWDrawingViewDidBeginTextEditing, nullptr, forward(&VNQLTextController::textEditingBegan)));
        m_editingObservations.append(
            centre.addObserver(kPWDrawingViewDidEndTextEditing, nullptr, forward(&VNQLTextController::textEditingEnded)));
    }

    auto* root = new pf::View;
    // Opaque: the tab view keeps the other tabs' views beneath this one.
    root->setAttribute(Qt::WA_NoSystemBackground, false);
    root->setAutoFillBackground(true);
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(4, 6, 4, 6);
    column->setSpacing(4);
    auto* top = new QHBoxLayout;
    top->addStretch(1);
    pf::Button* help = VNQLPaneControls::pushButton(QStringLiteral("?"), this, QStringLiteral("textControllerHelpAction:"), tr("Help"));
    help->setFixedWidth(28);
    top->addWidget(help);
    column->addLayout(top);
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    // A click in the pane must not take the keyboard from the text being typed.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    // The pane keeps the height its rows need; the room below stays empty.
    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(mTextShapeController->view());
    stack->addStretch(1);
    scroll->setWidget(content);
    column->addWidget(scroll, 1);
    setView(root);
    mTextShapeController->setDataSource(this);
}

PWDrawing* VNQLTextController::drawing() const { return mDrawing.lock().get(); }

void VNQLTextController::setDrawing(const pf::Ref<PWDrawing>& drawing)
{
    auto& centre = pf::NotificationCenter::defaultCenter();
    for (quint64 token : std::as_const(m_drawingObservations))
        centre.removeObserver(token);
    m_drawingObservations.clear();
    mDrawing = drawing;
    dropSelectionCache();
    if (drawing) {
        pf::Weak<VNQLTextController> weak = ref<VNQLTextController>();
        m_drawingObservations.append(centre.addObserver(kPWDrawingActiveLayerDidChange, drawing.get(),
                                                        [weak](const pf::Notification& notification) {
                                                            if (auto self = weak.lock())
                                                                self->activeLayerChanged(notification);
                                                        }));
        m_drawingObservations.append(centre.addObserver(kPWLayerSelectionDidChange, nullptr,
                                                        [weak](const pf::Notification& notification) {
                                                            if (auto self = weak.lock())
                                                                self->selectionChanged(notification);
                                                        }));
    }
    if (mTextShapeController)
        mTextShapeController->reloadContent();
}

void VNQLTextController::dropSelectionCache()
{
    mSelectionCache.clear();
    m_hasSelectionCache = false;
}

QList<pf::Ref<pf::Object>> VNQLTextController::selection()
{
    if (mTextShapeController && mTextShapeController->fontPanelMode() && m_trampoline)
        return {m_trampoline};
    if (!m_hasSelectionCache) {
        PWDrawing* current = drawing();
        auto layer = current ? std::dynamic_pointer_cast<PWObjectDrawingLayer>(current->activeLayer()) : nullptr;
        if (layer) {
            mSelectionCache.clear();
            for (const auto& object : layer->selection())
                mSelectionCache.append(object);
            m_hasSelectionCache = true;
        }
    }
    return mSelectionCache;
}

void VNQLTextController::activeLayerChanged(const pf::Notification&)
{
    dropSelectionCache();
    mTextShapeController->reloadContent();
}

void VNQLTextController::selectionChanged(const pf::Notification& notification)
{
    auto* layer = dynamic_cast<PWObjectDrawingLayer*>(notification.object);
    if (!layer || layer->drawing() != drawing())
        return;
    QList<pf::Ref<pf::Object>> now;
    for (const auto& object : layer->selection())
        now.append(object);
    if (m_hasSelectionCache && now == mSelectionCache)
        return;
    dropSelectionCache();
    mTextShapeController->reloadContent();
}

void VNQLTextController::setFontPanelMode(bool on, const pf::Notification& notification)
{
    auto* view = dynamic_cast<PWDrawingView*>(notification.object);
    if (!view || !drawing() || view->drawing().get() != drawing() || mTextShapeController->fontPanelMode() == on)
        return;
    RVLog(kInfoEvent, on ? QStringLiteral("beginning Font Panel mode") : QStringLiteral("ending Font Panel mode"));
    mTextShapeController->setFontPanelMode(on);
    dropSelectionCache();
    mTextShapeController->reloadContent();
}

void VNQLTextController::textEditingBegan(const pf::Notification& notification) { setFontPanelMode(true, notification); }
void VNQLTextController::textEditingEnded(const pf::Notification& notification) { setFontPanelMode(false, notification); }

QList<pf::Ref<pf::Object>> VNQLTextController::selectedContentForObjectController(VNQLGenericObjectController*)
{
    return selection();
}

pf::UndoManager* VNQLTextController::undoManager() const
{
    PWDrawing* current = drawing();
    return current ? current->undoManager() : nullptr;
}

void VNQLTextController::textControllerHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("the-text-tab"));
}
