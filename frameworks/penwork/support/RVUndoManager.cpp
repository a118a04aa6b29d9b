#include "frameworks/penwork/support/RVUndoManager.h"

PF_DEFINE_CLASS(RVUndoManager, pf::UndoManager)
{
    b.method("dumpOfUndoManagerState", &RVUndoManager::dumpOfUndoManagerState);
    b.method("explodeTopUndoAction", &RVUndoManager::explodeTopUndoAction);
}

QString RVUndoManager::dumpOfUndoManagerState() const
{
    return QStringLiteral("%1 %2\n%3")
        .arg(className(), QStringLiteral("0x%1").arg(quintptr(this), 0, 16), dumpState());
}
