#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/Button.h"
#include "platform/ui/View.h"

#include <QPointer>
#include <QVariantMap>

namespace pf {
class Gradient;
} // namespace pf

class RVMultiSectionView;

// A titled section of a multi-section view: a 16-point title bar at the top of its bounds
// (unflipped) and a content view below it that is hidden while the section is closed.
class RVSectionView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVSectionView)
public:
    static constexpr double kTitleBarHeight = 16.0;

    explicit RVSectionView(const QRectF& frame, QWidget* parent = nullptr);

    static double titleBarHeight() { return kTitleBarHeight; }
    static pf::Color titleBarColour();
    static const pf::Gradient& titleBarGradient();
    static const QVariantMap& classTitleAttributes();
    // The class attributes with the colour of the enabled state.
    QVariantMap titleAttributes() const;

    QString title() const { return mTitle; }
    void setTitle(const QString& title);
    bool isOpen() const { return mOpen; }
    bool enabled() const { return mEnabled; }
    void setEnabled(bool enabled);
    double maxHeight() const { return mMaxHeight; }
    void setMaxHeight(double height) { mMaxHeight = height; }
    RVMultiSectionView* hostView() const { return mHostViewRef; }
    void setHostView(RVMultiSectionView* host) { mHostViewRef = host; }
    pf::View* contentView() const { return mContentViewRef; }
    void setContentView(pf::View* view) { mContentViewRef = view; }
    pf::Button* disclosureButton() const { return mDisclosureButton; }
    void setDisclosureButton(pf::Button* button) { mDisclosureButton = button; }

    void open();
    void close();
    void toggleOpenCloseAction(const QVariant& sender);
    QRectF titleBarRect() const;
    // For a section laid out in an interface file: its height there is its open height.
    void awakeFromNib();

    void drawRect(const QRectF& dirtyRect) override;

private:
    QVariantMap titleAttributes(bool centred) const;
    void drawTitleBar();

    QString mTitle = QStringLiteral("untitled");
    bool mOpen = false;
    bool mEnabled = false;
    QPointer<pf::Button> mDisclosureButton;
    double mMaxHeight = 100.0;
    QPointer<pf::View> mContentViewRef;
    QPointer<RVMultiSectionView> mHostViewRef;
};
