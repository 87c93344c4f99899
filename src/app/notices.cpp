#include "app/notices.h"

#include "ui/notices.h"

NoticeBoard::NoticeBoard(std::function<void(const QString&, const QString&)> deliver,
                         QObject* parent)
    : QObject(parent), m_deliver(std::move(deliver)) {
    for (int k = 0; k < 4; ++k) {
        Pending& p = m_pending[k];
        for (QTimer* t : {&p.quiet, &p.longest}) {
            t->setSingleShot(true);
            connect(t, &QTimer::timeout, this, [this, k] { send(static_cast<Kind>(k)); });
        }
        p.quiet.setInterval(QuietMs);
        p.longest.setInterval(LongestWaitMs);
    }
}

void NoticeBoard::note(Kind kind, const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    Pending& p = m_pending[static_cast<int>(kind)];
    p.paths.insert(p.paths.end(), paths.begin(), paths.end());
    p.quiet.start();
    if (!p.longest.isActive())
        p.longest.start();
}

void NoticeBoard::flush() {
    for (int k = 0; k < 4; ++k)
        send(static_cast<Kind>(k));
}

void NoticeBoard::send(Kind kind) {
    Pending& p = m_pending[static_cast<int>(kind)];
    p.quiet.stop();
    p.longest.stop();
    if (p.paths.empty())
        return;
    const std::vector<std::string> paths = std::exchange(p.paths, {});
    switch (kind) {
    case Kind::Unreadable:
        return m_deliver(tr("Pictures removed"), unreadableNotice(paths));
    case Kind::Skipped:
        return m_deliver(tr("Not added"), skippedNotice(paths));
    case Kind::ApplyFailed:
        return m_deliver(tr("Wallpaper not set"), applyFailedNotice(paths));
    case Kind::Unlistable:
        return m_deliver(tr("Not added"), unlistableNotice(paths.size()));
    }
}
