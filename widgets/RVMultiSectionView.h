#pragma once

#include "platform/ui/View.h"

#include <QList>
#include <QPointer>

class RVSectionView;

// A vertical stack of sections that sizes its window: whenever a section opens or closes the
// sections are stacked again from the top and the window's content area is resized, animated,
// to the height of the stack with its top edge kept in place.
class RVMultiSectionView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVMultiSectionView)
public:
    using pf::View::View;

    void addSection(RVSectionView* section);
    void insertSection(RVSectionView* section, int index);
    void removeSection(RVSectionView* section);
    RVSectionView* sectionAtIndex(int index) const;
    QList<RVSectionView*> sections() const;

    void sectionDidOpen(RVSectionView* section);
    void sectionDidClose(RVSectionView* section);
    void openAll();
    void closeAll();
    void setEnabled(bool enabled);

    void calculateAndSetFrames();

private:
    QList<QPointer<RVSectionView>> mSections;
};
