#pragma once

#include "frameworks/penwork/drawables/PWDrawablePath.h"

#include <QPointF>

// A line whose ends stay attached to the objects they were drawn from and to: when an attached
// object moves or changes size, the end follows to the same place relative to the object's
// bounds, and the points between follow in proportion to their place along the line (moved
// together with both its objects, the whole line moves with them). Following is no edit of
// its own (undoing the object's move brings the line back with it). An attached line goes
// where its objects take it: moved on its own it stays, and reshaped, its ends go back.
// Attachments are archived as references to the objects, so they survive saving and
// reopening the drawing they belong to. A track line keeps its middle run at right angles.
//
// A copy starts unattached: it remembers what the original was attached to, and
// reattachCopies hands it the copies of those objects when they were copied with it.
class PWConnectableLine : public PWDrawablePath {
    PF_CLASS(PWConnectableLine)
public:
    enum End { kStart = 0, kEnd = 1 };

    PWConnectableLine();
    explicit PWConnectableLine(const pf::BezierPath& path, pf::Ref<PWStyle> style = nullptr);
    PWConnectableLine(const PWConnectableLine& other);
    ~PWConnectableLine() override;
    pf::Ref<pf::Object> copy() const override;

    // Attaches one end to `object` (null detaches) at the end's current place, kept relative
    // to the object's bounds.
    void attach(End end, const pf::Ref<PWDrawableObject>& object);
    pf::Ref<PWDrawableObject> attachedObject(End end) const;
    // Where the end sits in its object's bounds: (0, 0) top left, (1, 1) bottom right.
    QPointF anchor(End end) const { return m_anchor[end]; }

    bool isTrack() const { return m_track; }
    void setTrack(bool track) { m_track = track; }

    // Moves the ends to their attached objects.
    void followAttachments();
    // After copying `originals` into `copies` (same order): each copied line is attached to
    // the copies of the objects its original was attached to; ends whose objects were not
    // copied stay free.
    static void reattachCopies(const QList<pf::Ref<PWDrawableObject>>& originals,
                               const QList<pf::Ref<PWDrawableObject>>& copies);

    // Ignored while an end is attached: the line goes where its objects take it.
    void setLocation(const QPointF& location) override;
    bool isAttached() const;

    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    void observe(End end, bool start);
    QPointF endPoint(End end) const;

    pf::Weak<PWDrawableObject> m_object[2];
    pf::Weak<PWDrawableObject> m_copiedFrom[2];
    QPointF m_anchor[2];
    bool m_track = false;
    bool m_following = false;
};
