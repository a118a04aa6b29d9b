#include "widgets/RVMultiSectionView.h"

#include "widgets/RVSectionView.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Window.h"

PF_DEFINE_CLASS(RVMultiSectionView, pf::View) {}

namespace {

// Failures name the file and line the section operations have always reported.
void requireSection(const RVSectionView* section, int line, const char* message)
{
    if (!section)
        pf::AssertionHandler::current().handleFailure("Source/Code/RVMultiSectionView", line,
                                                      QString::fromLatin1(message), false);
}

} // namespace

void RVMultiSectionView::addSection(RVSectionView* section)
{
    requireSection(section, 38, "cannot adda nil section");
    insertSection(section, int(mSections.size()));
}

void RVMultiSectionView::insertSection(RVSectionView* section, int index)
{
    requireSection(section, 60, "cannot add a nil section");
    mSections.removeAll(section);
    mSections.insert(qBound(0, index, int(mSections.size())), section);
    if (section->superview() != this)
        addSubview(section);
    // Sections hang from the top: when the window shrinks the stack, the bottom gives way.
    section->setAutoresizingMask(pf::ViewWidthSizable | pf::ViewMinYMargin);
    section->setHostView(this);
    calculateAndSetFrames();
}

void RVMultiSectionView::removeSection(RVSectionView* section)
{
    requireSection(section, 49, "cannot remove a nil section");
    section->setHostView(nullptr);
    mSections.removeAll(section);
    section->removeFromSuperview();
    calculateAndSetFrames();
}

RVSectionView* RVMultiSectionView::sectionAtIndex(int index) const
{
    if (index < 0 || index >= mSections.size())
        return nullptr;
    return mSections.at(index);
}

QList<RVSectionView*> RVMultiSectionView::sections() const
{
    QList<RVSectionView*> result;
    for (const auto& section : mSections) {
        if (section)
            result.append(section);
    }
    return result;
}

void RVMultiSectionView::sectionDidOpen(RVSectionView* section)
{
    requireSection(section, 84, "received sectionDidOpen with nil");
    calculateAndSetFrames();
}

void RVMultiSectionView::sectionDidClose(RVSectionView* section)
{
    requireSection(section, 92, "received sectionDidClose with nil");
    calculateAndSetFrames();
}

void RVMultiSectionView::openAll()
{
    for (RVSectionView* section : sections())
        section->open();
}

void RVMultiSectionView::closeAll()
{
    for (RVSectionView* section : sections())
        section->close();
}

void RVMultiSectionView::setEnabled(bool enabled)
{
    for (RVSectionView* section : sections())
        section->setEnabled(enabled);
}

void RVMultiSectionView::calculateAndSetFrames()
{
    double top = bounds().height();
    double total = 0;
    for (RVSectionView* section : sections()) {
        // One point of overlap, so neighbouring title-bar outlines share a line.
        const double height = section->frame().height() - 1.0;
        top -= height;
        section->setFrameOrigin(QPointF(section->frame().x(), top));
        total += height;
    }
    auto* window = qobject_cast<pf::Window*>(windowWidget());
    if (!window)
        return;
    QRectF content = window->contentRectForFrameRect(window->frame());
    content.moveTop(content.y() + content.height() - total);
    content.setHeight(total);
    window->setFrame(window->frameRectForContentRect(content), true, true);
}
